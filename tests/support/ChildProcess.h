#pragma once

// Other processes for the tests: started without a shell, talked to through pipes, and waited
// for with a deadline, so that a child that hangs fails the test instead of hanging it.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <poll.h>
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
        CloseInput();
        if (fOutput >= 0)
            close(fOutput);
    }

    // Runs argv[0] (a path) with changes to the environment ("NAME=value" sets, "NAME" clears);
    // standard output and error go to outputPath when one is given.
    bool Start(const std::vector<std::string>& argv,
               const std::vector<std::string>& environment = {}, const std::string& outputPath = "")
    {
        return Launch(argv, environment, outputPath, false);
    }
    // The same with standard input and output as pipes to the test: Say and ReadLine.
    bool StartTalking(const std::vector<std::string>& argv,
                      const std::vector<std::string>& environment = {})
    {
        // A child that is gone must fail the test, not end it.
        signal(SIGPIPE, SIG_IGN);
        return Launch(argv, environment, "", true);
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

    void Say(const std::string& line) const
    {
        const std::string text = line + "\n";
        [[maybe_unused]] ssize_t written = write(fInput, text.data(), text.size());
    }
    // The end of the child's input.
    void CloseInput()
    {
        if (fInput >= 0)
            close(fInput);
        fInput = -1;
    }
    // The next line the child wrote, or nothing when none came within the limit.
    std::optional<std::string> ReadLine(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            const size_t newline = fPending.find('\n');
            if (newline != std::string::npos) {
                std::string line = fPending.substr(0, newline);
                fPending.erase(0, newline + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || !ReadMore((int)left.count() + 1))
                return std::nullopt;
        }
    }
    // Whether the child wrote something within the limit (it is left unread).
    bool Printed(std::chrono::milliseconds limit)
    {
        return !fPending.empty() || ReadMore((int)limit.count());
    }

    // The exit status, 128 + the signal for a child killed by one; -1 when it still runs at
    // the end of the limit.
    int WaitForExit(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (fPid > 0) {
            int status;
            pid_t done = waitpid(fPid, &status, WNOHANG);
            if (done == fPid) {
                fPid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if ((done < 0 && errno != EINTR) || std::chrono::steady_clock::now() > end)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return -1;
    }
    // The same, but a child still running at the deadline fails the test and is killed.
    int Wait(std::chrono::milliseconds deadline = std::chrono::seconds(20))
    {
        const int status = WaitForExit(deadline);
        if (fPid > 0) {
            ADD_FAILURE() << "child " << fPid << " still runs after its deadline";
            kill(fPid, SIGKILL);
            waitpid(fPid, nullptr, 0);
            fPid = -1;
        }
        return status;
    }

private:
    bool Launch(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                const std::string& outputPath, bool talking)
    {
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        int input[2] = {-1, -1}, output[2] = {-1, -1};
        if (talking && (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0))
            return false;
        fPid = fork();
        if (fPid < 0)
            return false;
        if (fPid == 0) {
            for (const std::string& entry : environment) {
                if (entry.find('=') == std::string::npos)
                    unsetenv(entry.c_str());
                else
                    putenv(const_cast<char*>(entry.c_str()));
            }
            if (talking) {
                dup2(input[0], STDIN_FILENO);
                dup2(output[1], STDOUT_FILENO);
            }
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
        if (talking) {
            close(input[0]);
            close(output[1]);
            fInput = input[1];
            fOutput = output[0];
        }
        return true;
    }
    bool ReadMore(int milliseconds)
    {
        pollfd wanted{fOutput, POLLIN, 0};
        if (fOutput < 0 || poll(&wanted, 1, milliseconds) <= 0)
            return false;
        char buffer[1024];
        const ssize_t got = read(fOutput, buffer, sizeof(buffer));
        if (got <= 0)
            return false;
        fPending.append(buffer, (size_t)got);
        return true;
    }

    pid_t fPid = -1;
    int fInput = -1;
    int fOutput = -1;
    std::string fPending;
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
