// test_support.h - helpers shared by the tests: raw container bytes built
// from a short description (independent of the toolbox, so that damaged
// files can be described too), temporary files, stdout capture and runs of
// the built tool.
#ifndef TESSIK_TEST_SUPPORT_H
#define TESSIK_TEST_SUPPORT_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pellorkit.h"

namespace testsupport {

std::string BE32(uint32_t v);
std::string BE16(uint16_t v);

// One atom: 20-byte header and payload. `size` and `count` override the
// computed size and child count when not negative (for damaged files).
std::string Atom(const std::string &type, int32_t id, const std::string &payload,
                 int count = 0, int64_t size = -1);
// An atom whose payload is its children, counted.
std::string Parent(const std::string &type, int32_t id, const std::vector<std::string> &children);
// The 12-byte header and a 'sean' root (ID 1) holding the children.
std::string Container(const std::vector<std::string> &children);

// A fresh folder per test process, removed at exit.
std::string TempDir();
std::string WriteFile(const std::string &name, const std::string &bytes);
std::string ReadFile(const std::string &path);

// The container's block as bytes.
std::string Bytes(QTAtomContainer c);
// A new container holding these bytes (the caller disposes of it).
QTAtomContainer FromBytes(const std::string &bytes);

// Everything fn writes to standard output.
std::string CaptureStdout(const std::function<void()> &fn);

// Runs the built tessik with these arguments; stdout and the exit status
// (-1 when a signal ended it). `in_child` runs in the child just before the
// tool starts (to set limits or the environment).
struct ToolRun {
    std::string out;
    int status;
};
ToolRun RunTessik(const std::vector<std::string> &args,
                  const std::function<void()> &in_child = {});

// Sets g_verbosity for a scope.
struct Verbosity {
    explicit Verbosity(int v) : saved(g_verbosity) { g_verbosity = v; }
    ~Verbosity() { g_verbosity = saved; }
    int saved;
};

}  // namespace testsupport

#endif
