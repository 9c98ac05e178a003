#pragma once

// Other processes for the tests: started without a shell, and waited for with a deadline, so
// that a child that hangs fails the test instead of hanging it.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess()
    {
        if (fPid > 0) {
            kill(fPid, SIGKILL);
            waitpid(fPid, nullptr, 0);
        }
    }

    // Runs argv[0] (a path) with extra "NAME=value" environment entries; standard output and
    // error go to outputPath when one is given.
    bool Start(const std::vector<std::string>& argv,
               const std::vector<std::string>& environment = {}, const std::string& outputPath = "")
    {
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        fPid = fork();
        if (fPid < 0)
            return false;
        if (fPid == 0) {
            for (const std::string& entry : environment)
                putenv(const_cast<char*>(entry.c_str()));
            if (!outputPath.empty()) {
                int fd = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
                if (fd >= 0) {
                    dup2(fd, STDOUT_FILENO);
                    dup2(fd, STDERR_FILENO);
                    close(fd);
                }
            }
            execv(args[0], args.data());
            _exit(127);
        }
        return true;
    }

    pid_t Pid() const { return fPid; }

    void Signal(int signal) const
    {
        if (fPid > 0)
            kill(fPid, signal);
    }

    // Stops the child and returns once it has stopped: SIGSTOP takes effect some time after
    // it is sent, and until then the child still answers whatever is sent to it.
    bool Stop() const
    {
        if (fPid <= 0 || kill(fPid, SIGSTOP) != 0)
            return false;
        int status;
        pid_t done;
        do {
            done = waitpid(fPid, &status, WUNTRACED);
        } while (done < 0 && errno == EINTR);
        return done == fPid && WIFSTOPPED(status);
    }

    // The exit status, 128 + the signal for a child killed by one, or -1 when the deadline
    // passed (the child is then killed).
    int Wait(std::chrono::milliseconds deadline = std::chrono::seconds(20))
    {
        if (fPid <= 0)
            return -1;
        const auto end = std::chrono::steady_clock::now() + deadline;
        for (;;) {
            int status;
            pid_t done = waitpid(fPid, &status, WNOHANG);
            if (done == fPid) {
                fPid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (done < 0 && errno != EINTR)
                return -1;
            if (std::chrono::steady_clock::now() > end) {
                ADD_FAILURE() << "child " << fPid << " still runs after its deadline";
                kill(fPid, SIGKILL);
                waitpid(fPid, nullptr, 0);
                fPid = -1;
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

private:
    pid_t fPid = -1;
};

// Runs a program to its end, with the deadline of ChildProcess::Wait.
inline int run_process(const std::vector<std::string>& argv, const std::string& outputPath = "",
                       const std::vector<std::string>& environment = {})
{
    ChildProcess child;
    if (!child.Start(argv, environment, outputPath))
        return -1;
    return child.Wait();
}
