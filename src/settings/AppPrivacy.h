#pragma once

// The application's private record: where its executable is, and the accelerator format its
// labels use.

#include <SupportDefs.h>

#include <mutex>
#include <string>

// The executable's own name and folder.
class TAppPrivacy {
public:
    virtual ~TAppPrivacy();

    // Takes both from the executable's path; a link is followed to its target.
    void AnalyzeExePath(const char* path);
    // The folder, ending in "/".
    std::string ExePath() const { return fExePath; }
    std::string ExeName() const { return fExeName; }

private:
    std::string fExeName;
    std::string fExePath;
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
