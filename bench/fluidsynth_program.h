// The fluidsynth program with its defaults, for benchmarks to compare device 0 against: one
// audio driver, the same SoundFont, and notes typed into its shell on standard input.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

extern char** environ;

namespace bench {

// The Debian alternative that names the installed General MIDI SoundFont; device 0 tries it first.
inline constexpr const char* generalMidiSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";

class FluidsynthProgram {
public:
    // audioDriver: "jack" or "pulseaudio". Its output goes to /dev/null.
    explicit FluidsynthProgram(const std::string& audioDriver)
    {
        int fds[2];
        if (pipe(fds) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
        posix_spawn_file_actions_addclose(&actions, fds[1]);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
        const std::string driver = audioDriver;
        char* argv[] = {const_cast<char*>("fluidsynth"), const_cast<char*>("-a"),
                        const_cast<char*>(driver.c_str()), const_cast<char*>(generalMidiSoundFont),
                        nullptr};
        if (posix_spawnp(&pid_, "fluidsynth", &actions, nullptr, argv, environ) != 0) {
            pid_ = 0;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(fds[0]);
        shell_ = fds[1];
    }

    ~FluidsynthProgram()
    {
        if (shell_ >= 0) {
            close(shell_);
        }
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    FluidsynthProgram(const FluidsynthProgram&) = delete;
    FluidsynthProgram& operator=(const FluidsynthProgram&) = delete;

    pid_t pid() const { return pid_; }
    bool running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

    // One line for its shell, "noteon 0 69 100" for instance.
    void command(const std::string& line) const
    {
        const std::string text = line + "\n";
        [[maybe_unused]] const ssize_t written = write(shell_, text.data(), text.size());
    }

private:
    pid_t pid_ = 0;
    int shell_ = -1;
};

}  // namespace bench
