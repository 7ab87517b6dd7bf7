// A real mosquitto broker on a loopback port, started by a test: anonymous, or with a user and
// password, over plain TCP or TLS with a throwaway CA made by openssl; and mosquitto_pub to
// publish to it.
#pragma once

#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackPort.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

#include <pwd.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

namespace orv::test {

class TMosquittoBroker {
public:
    static bool Available() {
        return ProgramExists("/usr/sbin/mosquitto") && ProgramExists("mosquitto_pub") &&
               ProgramExists("mosquitto_passwd") && ProgramExists("openssl");
    }

    // user empty: anonymous clients are let in.
    TMosquittoBroker(bool tls, const std::string& user = "", const std::string& password = "")
        : tls_(tls), user_(user), password_(password) {
        // Run as root, the broker would switch to its own user, who cannot read our folder.
        const passwd* self = ::getpwuid(::getuid());
        std::string config = "listener " + std::to_string(port_) + " 127.0.0.1\n";
        if (self) config += std::string("user ") + self->pw_name + "\n";
        if (user.empty()) {
            config += "allow_anonymous true\n";
        } else {
            ok_ = RunProgram({"mosquitto_passwd", "-c", "-b", dir_ / "passwd", user, password},
                             dir_ / "log");
            config += "allow_anonymous false\npassword_file " + (dir_ / "passwd") + "\n";
        }
        if (tls) {
            ok_ = ok_ && MakeCertificates();
            config += "cafile " + CaFile() + "\ncertfile " + (dir_ / "server.pem") + "\nkeyfile " +
                      (dir_ / "server.key") + "\n";
        }
        WriteText(dir_ / "mosquitto.conf", config);
        if (ok_) Start();
    }

    bool Ok() const { return ok_; }
    uint16_t Port() const { return port_; }
    std::string CaFile() const { return dir_ / "ca.pem"; }
    std::string Log() const { return ReadText(dir_ / "log"); }

    // Publishes one message with mosquitto_pub (QoS 1, so it has reached the broker when this
    // returns); true on success.
    bool Publish(const std::string& topic, const std::string& payload, bool retain = false) {
        std::vector<std::string> args = {
            "mosquitto_pub", "-h", "127.0.0.1", "-p", std::to_string(port_), "-q", "1", "-t",
            topic,           "-m", payload};
        if (retain) args.push_back("-r");
        if (!user_.empty()) args.insert(args.end(), {"-u", user_, "-P", password_});
        if (tls_) args.insert(args.end(), {"--cafile", CaFile()});
        return RunProgram(args, dir_ / "pub.log");
    }

    // Stops the broker and starts it again on the same port, without its retained messages.
    bool Restart() {
        broker_.reset();
        return Start();
    }

private:
    bool Start() {
        broker_ = std::make_unique<TChildProcess>(
            std::vector<std::string>{"/usr/sbin/mosquitto", "-c", dir_ / "mosquitto.conf"},
            dir_ / "log");
        ok_ = WaitUntil([&] { return AcceptsConnections(port_); }, std::chrono::seconds(30));
        return ok_;
    }

    bool MakeCertificates() {
        const std::string log = dir_ / "openssl.log";
        return RunProgram({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                           "-subj", "/CN=Test CA", "-keyout", dir_ / "ca.key", "-out", CaFile()},
                          log) &&
               RunProgram({"openssl", "req", "-newkey", "rsa:2048", "-nodes", "-subj",
                           "/CN=localhost", "-keyout", dir_ / "server.key", "-out",
                           dir_ / "server.csr"},
                          log) &&
               (WriteText(dir_ / "san.ext", "subjectAltName=IP:127.0.0.1,DNS:localhost\n"), true) &&
               RunProgram({"openssl", "x509", "-req", "-in", dir_ / "server.csr", "-CA", CaFile(),
                           "-CAkey", dir_ / "ca.key", "-CAcreateserial", "-days", "2", "-extfile",
                           dir_ / "san.ext", "-out", dir_ / "server.pem"},
                          log);
    }

    TempDir dir_;
    uint16_t port_ = FreeLoopbackPort();
    bool tls_;
    std::string user_;
    std::string password_;
    bool ok_ = true;
    std::unique_ptr<TChildProcess> broker_;
};

} // namespace orv::test
