// A real POP3 server for the mailbox tests: Debian's dovecot, started by the test on loopback
// with a configuration of its own (a passwd-file user, a self-signed certificate, a Maildir the
// test fills) and ended with the test. Runs as any user; as root, dovecot's own users serve
// the mail, as it demands.
#pragma once

#include "tests/support/LoopbackPort.h"
#include "tests/support/TempDir.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

namespace orv::test {

inline constexpr const char* kDovecotProgram = "/usr/sbin/dovecot";

class TDovecotServer {
public:
    static constexpr const char* kUser = "alice";
    static constexpr const char* kPassword = "s3cret pass";

    TDovecotServer() {
        namespace fs = std::filesystem;
        const bool root = ::geteuid() == 0;
        if (root) fs::permissions(dir_.Path(), fs::perms(0755));
        for (const char* sub : {"mail/cur", "mail/new", "mail/tmp", "run", "home"})
            fs::create_directories(dir_ / sub);
        const std::string openssl = "openssl req -x509 -newkey ec -pkeyopt "
                                    "ec_paramgen_curve:prime256v1 -nodes -days 2 "
                                    "-subj /CN=127.0.0.1 -keyout '" +
                                    (dir_ / "key.pem") + "' -out '" + (dir_ / "cert.pem") +
                                    "' >/dev/null 2>&1";
        if (std::system(openssl.c_str()) != 0) throw std::runtime_error("openssl failed");
        WriteText(dir_ / "passwd", std::string(kUser) + ":{PLAIN}" + kPassword + "::::::\n");
        fs::permissions(dir_ / "passwd", fs::perms(0644));

        // As root, dovecot refuses to serve mail as root: its own user owns the mailbox.
        std::string internalUser, loginUser, mailUid, mailGid;
        if (root) {
            const passwd* dovecot = ::getpwnam("dovecot");
            const passwd* dovenull = ::getpwnam("dovenull");
            if (!dovecot || !dovenull) throw std::runtime_error("no dovecot users");
            internalUser = "dovecot";
            loginUser = "dovenull";
            mailUid = std::to_string(dovecot->pw_uid);
            mailGid = std::to_string(dovecot->pw_gid);
            owner_ = {dovecot->pw_uid, dovecot->pw_gid};
            Chown(dir_ / "mail");
            Chown(dir_ / "home");
        } else {
            const passwd* me = ::getpwuid(::geteuid());
            internalUser = loginUser = me ? me->pw_name : "nobody";
            mailUid = std::to_string(::geteuid());
            mailGid = std::to_string(::getegid());
        }
        popPort_ = FreeLoopbackPort();
        popsPort_ = FreeLoopbackPort();
        WriteText(dir_ / "dovecot.conf",
                  "protocols = pop3\nlisten = 127.0.0.1\n"
                  "base_dir = " +
                      (dir_ / "run") + "\nstate_dir = " + (dir_ / "run") +
                      "\n"
                      "log_path = " +
                      Log() + "\ninfo_log_path = " + Log() +
                      "\n"
                      "default_internal_user = " +
                      internalUser +
                      "\n"
                      "default_login_user = " +
                      loginUser +
                      "\n"
                      "first_valid_uid = 1\nauth_failure_delay = 0\n"
                      "ssl = yes\nssl_cert = <" +
                      (dir_ / "cert.pem") +
                      "\n"
                      "ssl_key = <" +
                      (dir_ / "key.pem") +
                      "\n"
                      "disable_plaintext_auth = no\nauth_mechanisms = plain login\n"
                      "passdb {\n  driver = passwd-file\n  args = " +
                      (dir_ / "passwd") +
                      "\n}\n"
                      "userdb {\n  driver = static\n  args = uid=" +
                      mailUid + " gid=" + mailGid + " home=" + (dir_ / "home") +
                      "\n}\n"
                      "mail_location = maildir:" +
                      (dir_ / "mail") +
                      "\n"
                      "service pop3-login {\n  chroot =\n"
                      "  inet_listener pop3 {\n    port = " +
                      std::to_string(popPort_) +
                      "\n  }\n"
                      "  inet_listener pop3s {\n    port = " +
                      std::to_string(popsPort_) +
                      "\n    ssl = yes\n  }\n}\n"
                      "service imap-login {\n  chroot =\n}\n"
                      "service anvil {\n  chroot =\n}\n");
        pid_ = ::fork();
        if (pid_ == 0) {
            const std::string config = dir_ / "dovecot.conf";
            ::execl(kDovecotProgram, kDovecotProgram, "-F", "-c", config.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!(AcceptsConnections(popPort_) && AcceptsConnections(popsPort_))) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                throw std::runtime_error("dovecot ended: " + ReadText(Log()));
            }
            if (std::chrono::steady_clock::now() > deadline)
                throw std::runtime_error("dovecot does not listen: " + ReadText(Log()));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~TDovecotServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    TDovecotServer(const TDovecotServer&) = delete;
    TDovecotServer& operator=(const TDovecotServer&) = delete;

    int PopPort() const { return popPort_; }
    int PopsPort() const { return popsPort_; }
    std::string Log() const { return dir_ / "dovecot.log"; }

    // Puts one message into the mailbox; messages are listed in the order they were added.
    void AddMessage(const std::string& text) {
        ++count_;
        const std::string name =
            std::to_string(1700000000 + count_) + ".M" + std::to_string(count_) + "P1.test";
        const std::string path = dir_ / ("mail/new/" + name);
        WriteText(path, text);
        if (owner_.first) Chown(path);
    }

    // Logins the server accepted so far (one per connection of a good user).
    int Logins() const {
        const std::string log = ReadText(Log());
        int count = 0;
        for (size_t at = log.find("Login: user=<"); at != std::string::npos;
             at = log.find("Login: user=<", at + 1))
            ++count;
        return count;
    }

    // Dovecot writes its log lines a little after the session ended: waits for count logins.
    bool WaitForLogins(int count) const {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (Logins() < count) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

private:
    void Chown(const std::string& path) {
        namespace fs = std::filesystem;
        (void)!::chown(path.c_str(), owner_.first, owner_.second);
        if (fs::is_directory(path))
            for (const auto& entry : fs::recursive_directory_iterator(path))
                (void)!::chown(entry.path().c_str(), owner_.first, owner_.second);
    }

    TempDir dir_;
    std::pair<uid_t, gid_t> owner_{0, 0};
    int popPort_ = 0;
    int popsPort_ = 0;
    pid_t pid_ = -1;
    int count_ = 0;
};

} // namespace orv::test
