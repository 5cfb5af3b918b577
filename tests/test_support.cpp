#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

std::string BE32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (24 - 8 * i));
    return s;
}

std::string BE16(uint16_t v) {
    return std::string{static_cast<char>(v >> 8), static_cast<char>(v)};
}

std::string Atom(const std::string &type, int32_t id, const std::string &payload, int count,
                 int64_t size) {
    const uint32_t sz = size >= 0 ? static_cast<uint32_t>(size) : static_cast<uint32_t>(20 + payload.size());
    std::string t = type;
    t.resize(4, ' ');
    return BE32(sz) + t + BE32(static_cast<uint32_t>(id)) + BE16(0) +
           BE16(static_cast<uint16_t>(count < 0 ? 0 : count)) + BE32(0) + payload;
}

std::string Parent(const std::string &type, int32_t id, const std::vector<std::string> &children) {
    std::string payload;
    for (const auto &c : children) payload += c;
    return Atom(type, id, payload, static_cast<int>(children.size()));
}

std::string Container(const std::vector<std::string> &children) {
    return std::string(12, '\0') + Parent("sean", 1, children);
}

std::string TempDir() {
    static std::string dir = [] {
        char templ[] = "/tmp/tessik-test-XXXXXX";
        const char *d = mkdtemp(templ);
        std::string made = d != nullptr ? d : "/tmp";
        static std::string to_remove = made;
        std::atexit([] { std::system(("rm -rf '" + to_remove + "'").c_str()); });
        return made;
    }();
    return dir;
}

std::string WriteFile(const std::string &name, const std::string &bytes) {
    const std::string path = TempDir() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string Bytes(QTAtomContainer c) {
    return c == nullptr ? std::string() : std::string(*c, static_cast<size_t>(GetHandleSize(c)));
}

QTAtomContainer FromBytes(const std::string &bytes) {
    Handle h = NewHandle(static_cast<Size>(bytes.size()));
    if (h != nullptr && !bytes.empty()) std::memcpy(*h, bytes.data(), bytes.size());
    return h;
}

std::string CaptureStdout(const std::function<void()> &fn) {
    std::fflush(stdout);
    FILE *tmp = std::tmpfile();
    const int saved = dup(STDOUT_FILENO);
    dup2(fileno(tmp), STDOUT_FILENO);
    fn();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    std::string out;
    std::rewind(tmp);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, tmp)) > 0) out.append(buf, n);
    std::fclose(tmp);
    return out;
}

ToolRun RunTessik(const std::vector<std::string> &args, const std::function<void()> &in_child) {
    const std::string out_path = TempDir() + "/tool-stdout";
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        close(fd);
        if (in_child) in_child();
        std::vector<char *> argv;
        argv.push_back(const_cast<char *>(TESSIK_BINARY));
        for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(TESSIK_BINARY, argv.data());
        _exit(127);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    return ToolRun{ReadFile(out_path), WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1};
}

}  // namespace testsupport
