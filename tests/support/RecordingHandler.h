#pragma once

// A handler that keeps a copy of every message it receives, in a log it may share with other
// handlers, so that a test can see what arrived where and in what order.

#include "MessageLog.h"

#include <Handler.h>
#include <Looper.h>
#include <Message.h>

#include <string>
#include <vector>

class RecordingHandler : public BHandler {
public:
    RecordingHandler(const char* name, MessageLog* log) : BHandler(name), fLog(log) {}

    void MessageReceived(BMessage* message) override { fLog->Add(Name(), *message); }

private:
    MessageLog* fLog;
};

// A running looper with the given handlers, quit when the test is done with it.
class RunningLooper {
public:
    explicit RunningLooper(const char* name) : fLooper(new BLooper(name)) {}
    ~RunningLooper()
    {
        if (fLooper->Lock())
            fLooper->Quit();
    }

    // Only before Run(): the constructing thread holds the lock until then.
    BLooper* operator->() const { return fLooper; }
    void Run() { fLooper->Run(); }

private:
    BLooper* fLooper;
};
