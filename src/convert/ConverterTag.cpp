// Every converted file names its converter and version in an Instrument Name event.

#include "app/AppConstants.h"
#include "app/CadenzoView.h"

#include <string>

int32 TCadenzoView::AddConverterVersion(TEventMap* map) const
{
    // "Ver 2.33" gives "CdzVr(2.33)".
    std::string text = std::string("CdzVr") + "(" + app_version_number() + ")";
    TMIDIEvent tag;
    tag.fStatus = kMetaEvent;
    tag.fChannel = kMetaInstrumentName;
    tag.fData.assign(reinterpret_cast<const uint8*>(text.data()), text.size());
    add_event(*map, 0, tag);
    return 0;
}
