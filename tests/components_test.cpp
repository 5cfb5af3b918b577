// The Component Manager registry (searches with wildcards and flags, info,
// opening and closing) and nr_open_component's match and trace.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include "test_support.h"

using namespace testsupport;

namespace {

constexpr OSType kType = 0x74735461;   // 'tsTa', used by this file alone
constexpr OSType kOther = 0x74735462;  // 'tsTb'
constexpr OSType kNone = 0x74735463;   // 'tsTc', never registered
constexpr OSType kAAAA = 0x61616161;
constexpr OSType kBBBB = 0x62626262;
constexpr OSType kCCCC = 0x63636363;
constexpr OSType kMMMM = 0x6d6d6d6d;
constexpr OSType kNNNN = 0x6e6e6e6e;

struct Opener {
    OSErr answer = noErr;
    int calls = 0;
};

OSErr CountingOpener(Component, void *refcon) {
    auto *o = static_cast<Opener *>(refcon);
    ++o->calls;
    return o->answer;
}

// Registers, in this order:
//   c[0] tsTa aaaa:mmmm    c[1] tsTb bbbb:mmmm (another type)
//   c[2] tsTa bbbb:0       c[3] tsTa bbbb:mmmm flags 5
//   c[4] tsTa bbbb:mmmm    c[5] tsTa cccc:nnnn refuses with -50
//   c[6] tsTa cccc:nnnn
class Components : public testing::Test {
  protected:
    void SetUp() override {
        refuse.answer = paramErr;
        const struct {
            OSType type, sub, manu;
            uint32_t flags;
            Opener *opener;
        } table[] = {{kType, kAAAA, kMMMM, 0, nullptr},     {kOther, kBBBB, kMMMM, 0, nullptr},
                     {kType, kBBBB, 0, 0, nullptr},         {kType, kBBBB, kMMMM, 5, nullptr},
                     {kType, kBBBB, kMMMM, 0, &accept_late}, {kType, kCCCC, kNNNN, 0, &refuse},
                     {kType, kCCCC, kNNNN, 0, &accept_late}};
        for (const auto &row : table) {
            const ComponentDescription cd{row.type, row.sub, row.manu, row.flags, 0};
            const Component id = RegisterComponentDescription(
                &cd, row.opener != nullptr ? CountingOpener : nullptr, row.opener);
            ASSERT_NE(0u, id);
            c.push_back(id);
        }
    }
    void TearDown() override {
        for (Component id : c) UnregisterComponent(id);
    }

    std::vector<Component> Search(const ComponentDescription &looking) const {
        std::vector<Component> found;
        for (Component id = FindNextComponent(0, &looking); id != 0; id = FindNextComponent(id, &looking))
            found.push_back(id);
        return found;
    }

    std::vector<Component> c;
    Opener refuse;
    Opener accept_late;
};

TEST_F(Components, SearchesTakeZerosAsWildcardsInRegistrationOrder) {
    const struct {
        ComponentDescription looking;
        std::vector<int> expected;
    } cases[] = {
        {{kType, 0, 0, 0, 0}, {0, 2, 3, 4, 5, 6}},
        {{kType, kBBBB, 0, 0, 0}, {2, 3, 4}},
        {{0, kBBBB, kMMMM, 0, 0}, {1, 3, 4}},
        {{kType, kBBBB, kMMMM, 0, 0}, {3, 4}},
        {{kType, 0, kNNNN, 0, 0}, {5, 6}},
        {{kType, 0, 0, 4, 4}, {3}},        // flag bit 2 set
        {{kType, 0, 0, 0, 1}, {0, 2, 4, 5, 6}},  // flag bit 0 clear
        {{kType, 0, 0, 1, 0}, {0, 2, 3, 4, 5, 6}},  // no mask: flags do not count
        {{kNone, 0, 0, 0, 0}, {}},
    };
    for (const auto &k : cases) {
        std::vector<Component> expected;
        for (int i : k.expected) expected.push_back(c[static_cast<size_t>(i)]);
        EXPECT_EQ(expected, Search(k.looking))
            << std::hex << k.looking.componentType << " " << k.looking.componentSubType << " "
            << k.looking.componentManufacturer << " " << k.looking.componentFlags << "/"
            << k.looking.componentFlagsMask;
    }
}

TEST_F(Components, SearchGoesOnPastAnUnregisteredComponent) {
    const ComponentDescription looking{kType, kBBBB, 0, 0, 0};
    ASSERT_EQ(noErr, UnregisterComponent(c[2]));
    EXPECT_EQ(c[3], FindNextComponent(c[2], &looking));
    EXPECT_EQ(paramErr, UnregisterComponent(c[2]));
    ComponentDescription cd{};
    EXPECT_EQ(paramErr, GetComponentInfo(c[2], &cd, nullptr, nullptr, nullptr));
}

TEST_F(Components, InfoGivesTheRegisteredDescription) {
    ComponentDescription cd{};
    Handle name = NewHandle(8);
    ASSERT_EQ(noErr, GetComponentInfo(c[3], &cd, name, nullptr, nullptr));
    EXPECT_EQ(kType, cd.componentType);
    EXPECT_EQ(kBBBB, cd.componentSubType);
    EXPECT_EQ(kMMMM, cd.componentManufacturer);
    EXPECT_EQ(5u, cd.componentFlags);
    EXPECT_EQ(0, GetHandleSize(name));
    DisposeHandle(name);
    EXPECT_EQ(paramErr, GetComponentInfo(0, &cd, nullptr, nullptr, nullptr));
}

TEST_F(Components, OpenAndClose) {
    ComponentInstance a = 0;
    ComponentInstance b = 0;
    ASSERT_EQ(noErr, OpenAComponent(c[0], &a));
    ASSERT_EQ(noErr, OpenAComponent(c[0], &b));
    EXPECT_NE(0u, a);
    EXPECT_NE(a, b);
    EXPECT_EQ(noErr, CloseComponent(a));
    EXPECT_EQ(badComponentInstance, CloseComponent(a));
    EXPECT_EQ(noErr, CloseComponent(b));

    ComponentInstance refused = 99;
    EXPECT_EQ(paramErr, OpenAComponent(c[5], &refused));
    EXPECT_EQ(0u, refused);
    EXPECT_EQ(1, refuse.calls);

    ComponentInstance unknown = 99;
    EXPECT_EQ(paramErr, OpenAComponent(0, &unknown));
    EXPECT_EQ(0u, unknown);
}

// nr_open_component at verbosity 3: the trace of every candidate up to the
// first match, then the open or the failure report.
struct OpenCase {
    const char *name;
    OSType type, sub, manu;
    std::vector<int> listed;  // candidates, in order
    int opened;               // index of the opened component, -1 for none
    const char *error;        // error text, or null
};

void PrintTo(const OpenCase &k, std::ostream *os) { *os << k.name; }

class OpenComponent : public Components, public testing::WithParamInterface<OpenCase> {};

std::string CodeText(OSType code) {
    char *text = o2c(code);
    std::string s = text;
    std::free(text);
    return s;
}

std::string Hex(const char *format, uint32_t a, uint32_t b = 0) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, a, b);
    return buf;
}

TEST_P(OpenComponent, TracesCandidatesUpToTheMatch) {
    const OpenCase &k = GetParam();
    std::string expected = "nr_open_component " + CodeText(k.sub) + ":" + CodeText(k.manu) + " " +
                           Hex("(%08x:%08x)", k.sub, k.manu) + "\n";
    for (int i : k.listed) {
        ComponentDescription cd{};
        ASSERT_EQ(noErr, GetComponentInfo(c[static_cast<size_t>(i)], &cd, nullptr, nullptr, nullptr));
        expected += "FindNextComponent: " + Hex("0x%08x", c[static_cast<size_t>(i)]) + ", " +
                    CodeText(cd.componentSubType) + ":" + CodeText(cd.componentManufacturer) + " " +
                    Hex("(%08x:%08x)", cd.componentSubType, cd.componentManufacturer) + "\n";
    }
    if (k.error != nullptr) expected += std::string("### (LOCATION)\n### error: ") + k.error + "\n";

    Verbosity v(3);
    ComponentInstance instance = 0;
    std::string out = CaptureStdout([&] { instance = nr_open_component(k.type, k.sub, k.manu); });
    out = std::regex_replace(out, std::regex(R"(### \(src/pellorkit/movie\.cpp: \d+\))"), "### (LOCATION)");
    EXPECT_EQ(expected, out);
    EXPECT_EQ(0, accept_late.calls);  // no candidate past the first match is opened

    if (k.opened < 0) {
        EXPECT_EQ(0u, instance);
        return;
    }
    ASSERT_NE(0u, instance);
    EXPECT_EQ(noErr, CloseComponent(instance));
}

INSTANTIATE_TEST_SUITE_P(
    Table, OpenComponent,
    testing::Values(
        OpenCase{"firstMatchOfSeveral", kType, kBBBB, kMMMM, {0, 2, 3}, 3, nullptr},
        OpenCase{"zeroManufacturerIsNoWildcard", kType, kBBBB, 0, {0, 2}, 2, nullptr},
        OpenCase{"zeroSubtypeIsNoWildcard", kType, 0, kMMMM, {0, 2, 3, 4, 5, 6}, -1, "FindNextComponent"},
        OpenCase{"noComponentOfTheType", kNone, kBBBB, kMMMM, {}, -1, "FindNextComponent"},
        OpenCase{"refusedOpenEndsTheSearch", kType, kCCCC, kNNNN, {0, 2, 3, 4, 5}, -1, "OpenAComponent -50"}),
    [](const testing::TestParamInfo<OpenCase> &info) { return std::string(info.param.name); });

TEST_F(Components, OpenComponentIsSilentAtVerbosityOne) {
    Verbosity v(1);
    ComponentInstance instance = 0;
    EXPECT_EQ("", CaptureStdout([&] { instance = nr_open_component(kType, kAAAA, kMMMM); }));
    EXPECT_NE(0u, instance);
    EXPECT_EQ(noErr, CloseComponent(instance));
    g_verbosity = 2;
    EXPECT_EQ("### error: OpenAComponent -50\n",
              CaptureStdout([&] { instance = nr_open_component(kType, kCCCC, kNNNN); }));
}

}  // namespace
