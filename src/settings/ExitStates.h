#pragma once

// What the application keeps from one run to the next: the main window's frame.

#include "settings/Archivable.h"

#include <Rect.h>

#include <string>

class TExitStates : public TVANTORArchivable {
public:
    TExitStates();
    ~TExitStates() override;

    status_t Archive(BMessage* archive, bool deep = true) const override;
    status_t Unarchive(const BMessage& archive) override;

    int32 SaveToFile();
    int32 LoadFromFile();

    // Archived under "_Ver" and "_WFr".
    std::string Ver; // the version that wrote the file; read, never used
    BRect WFr;       // the main window's frame
};
