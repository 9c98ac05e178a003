#pragma once

// The conversion preferences, the state kept at exit, and the application's private record.

#include "settings/Archivable.h"

#include <Rect.h>

#include <mutex>
#include <string>

class TPrefs : public TVANTORArchivable {
public:
    TPrefs();
    ~TPrefs() override;
    TPrefs(const TPrefs&) = default;
    TPrefs& operator=(const TPrefs&) = default;

    status_t Archive(BMessage* archive, bool deep = true) const override;
    status_t Unarchive(const BMessage& archive) override;

    int32 SaveToFile() const;
    int32 LoadFromFile();

    bool AdSq;          // stored only
    bool AdTl;          // add a tail of silence before the End of Track
    bool OPrF;          // stored only
    bool TrHd;          // remove the silence before the first note
    bool ChMs[16];      // channels converted
    int8 MaxV;          // velocity of the loudest note, read as unsigned
    int32 TlMg;         // length of the tail in seconds
    std::string OFld;   // stored only
    std::string SqPf;   // stored only
};

class TExitStates : public TVANTORArchivable {
public:
    TExitStates();
    ~TExitStates() override;

    status_t Archive(BMessage* archive, bool deep = true) const override;
    status_t Unarchive(const BMessage& archive) override;

    int32 SaveToFile();
    int32 LoadFromFile();

    // Archived under "_Ver" and "_WFr".
    std::string Ver;   // the version that wrote the file; read, never used
    BRect WFr;         // the main window's frame
};

class TCadenzoAppPrivacy : public TAppPrivacy {
public:
    ~TCadenzoAppPrivacy() override;

    // Takes the accelerator format from the common preferences: 0, or -1 while the format
    // is not registered there.
    status_t UpdateAccFormat();

    // The format in which accelerator letters are merged into labels. The application thread
    // takes a new one while window threads build labels from the old, so it is copied whole
    // under a lock.
    std::string AccFormat() const;
    void SetAccFormat(std::string format);

private:
    mutable std::mutex fAccFormatLock;
    std::string fAccFormat;
};

// The process-wide records, constructed before main in this order.
extern TExitStates* const gExitStates;
extern TCadenzoAppPrivacy* const gAppPrivacy;
extern TPrefs* const gPrefs;
