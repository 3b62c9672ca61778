// Decoding of Wine's relay trace, on lines as Wine 8 writes them.
#include "harness/relay_trace.h"

#include <gtest/gtest.h>

namespace e2e {
namespace {

struct TraceLineCase {
  const char* name;
  const char* line;
  const char* function;
  const char* text;
  const char* title;
  uint32_t flags;
  bool cut;
};

void PrintTo(const TraceLineCase& c, std::ostream* out) { *out << c.name; }

class MessageBoxLine : public ::testing::TestWithParam<TraceLineCase> {};

TEST_P(MessageBoxLine, DecodesTheCall) {
  const TraceLineCase& c = GetParam();
  auto box = parseMessageBoxCall(c.line);
  ASSERT_TRUE(box.has_value()) << c.line;
  EXPECT_EQ(box->function, c.function);
  EXPECT_EQ(box->text, c.text);
  EXPECT_EQ(box->title, c.title);
  EXPECT_EQ(box->flags, c.flags);
  EXPECT_EQ(box->cut, c.cut);
}

INSTANTIATE_TEST_SUITE_P(
    Wine8, MessageBoxLine,
    ::testing::Values(
        TraceLineCase{"wideEscapes", R"(0114:Call user32.MessageBoxW(00000000,140004010 L"Hello \00e4 world\n\nLog: C:\\x",140004000 L"Title \20ac",00000010) ret=1400013ae)",
                      "MessageBoxW", "Hello \xC3\xA4 world\n\nLog: C:\\x", "Title \xE2\x82\xAC", 0x10, false},
        // A surrogate pair, a quote and a tab; no title at all.
        TraceLineCase{"surrogatePairAndNoTitle", R"(0190:Call user32.MessageBoxW(00000000,14002a000 L"\"q\"\t \d83d\de00",00000000,00000010) ret=14000156a)",
                      "MessageBoxW", "\"q\"\t \xF0\x9F\x98\x80", "", 0x10, false},
        // Narrow texts: bytes of code page 1252, \x80 being the euro sign.
        TraceLineCase{"narrowCodePage1252", R"(0190:Call user32.MessageBoxA(00000000,14002a04d "narrow \xe4 \x80 \"q\"\r\n",14002a04c "",00000004) ret=14000158f)",
                      "MessageBoxA", "narrow \xC3\xA4 \xE2\x82\xAC \"q\"\r\n", "", 0x4, false},
        TraceLineCase{"cutText", R"(0190:Call user32.MessageBoxW(00000000,00c93c90 L"aaaa"...,14002a066 L"T",00000000) ret=140001602)",
                      "MessageBoxW", "aaaa", "T", 0x0, true},
        TraceLineCase{"extendedCall", R"(0190:Call user32.MessageBoxExW(00000000,14002a076 L"ex",14002a06e L"exT",00000030,00000000) ret=14000168f)",
                      "MessageBoxExW", "ex", "exT", 0x30, false},
        // A comma, a parenthesis and ") ret=" inside the text.
        TraceLineCase{"separatorsInsideTheText", R"(01f0:Call user32.MessageBoxW(00000000,00c93ac0 L"a,b) ret=1",0021fb70 L"",00000010) ret=14002d42f)",
                      "MessageBoxW", "a,b) ret=1", "", 0x10, false}),
    [](const ::testing::TestParamInfo<TraceLineCase>& info) { return std::string(info.param.name); });

// Wine drops a last character without marking the cut; a text that fills the
// trace's buffer counts as possibly cut.
TEST(MessageBoxLine, ATextThatFillsWinesBufferCountsAsCut) {
  const auto line = [](std::size_t length, bool wide) {
    return std::string("0190:Call user32.MessageBox") + (wide ? "W(00000000,00c93c90 L\"" : "A(00000000,00c93c90 \"") +
           std::string(length, 'x') + "\",14002a066 " + (wide ? "L" : "") + "\"T\",00000000) ret=140001602";
  };
  for (bool wide : {true, false}) {
    const std::size_t limit = wide ? 289 : 290;
    auto below = parseMessageBoxCall(line(limit - 1, wide));
    auto at = parseMessageBoxCall(line(limit, wide));
    ASSERT_TRUE(below && at);
    EXPECT_FALSE(below->cut) << wide;
    EXPECT_TRUE(at->cut) << wide;
    EXPECT_EQ(at->text.size(), limit);
  }
}

TEST(MessageBoxLine, IndirectCallsShowOnlyTheirName) {
  auto box = parseMessageBoxCall("0190:Call user32.MessageBoxIndirectW(0021fc90) ret=1400016ea");
  ASSERT_TRUE(box.has_value());
  EXPECT_EQ(box->function, "MessageBoxIndirectW");
  EXPECT_EQ(box->text, "");
}

TEST(MessageBoxLine, OtherCallsAndReturnsAreNoBoxes) {
  EXPECT_FALSE(parseMessageBoxCall("0190:Ret  user32.MessageBoxW() retval=ffffffff ret=14000156a"));
  EXPECT_FALSE(parseMessageBoxCall("0190:Call user32.GetDesktopWindow() ret=14000156a"));
  EXPECT_FALSE(parseMessageBoxCall(
      "013c:Call window proc 00000002169EF630 (hwnd=0000000000020058,msg=WM_NCCREATE,wp=00000000,lp=0021f268)"));
}

TEST(RelayTrace, KeepsTheProgramsLinesAndCollectsTheBoxesInOrder) {
  const std::string err =
      "013c:trace:relay:load_list L\"RelayInclude\" = L\"user32.MessageBoxA\"\n"
      "first line of the program\r\n"
      "013c:Call PE DLL (proc=0000000170068C10,module=0000000170000000 L\"ntdll.dll\",reason=PROCESS_ATTACH)\n"
      "bash: warning: setlocale: LC_ALL: cannot change locale (de_CH.UTF-8)\n"
      "013c:Call user32.MessageBoxW(00000000,00c93a70 L\"one\",0021fad0 L\"\",00000010) ret=14002d42f\n"
      "013c:Starting thread proc 00000001400014B0 (arg=0000000067FF0000)\n"
      "0abc: a program line that starts like a trace line\n"
      "013c:Ret  user32.MessageBoxW() retval=ffffffff ret=14002d42f\n"
      "013c:Call user32.MessageBoxA(00000000,00c93a70 \"two\",0021fad0 \"t\",00000000) ret=14002d42f\n"
      "last line without a line feed";
  const RelayTrace trace = splitRelayTrace(err);
  EXPECT_EQ(trace.programErr,
            "first line of the program\r\n"
            "0abc: a program line that starts like a trace line\n"
            "last line without a line feed");
  ASSERT_EQ(trace.boxes.size(), 2u);
  EXPECT_EQ(trace.boxes[0].text, "one");
  EXPECT_EQ(trace.boxes[1].text, "two");
  EXPECT_EQ(trace.boxes[1].title, "t");
}

TEST(TraceString, UnknownEscapesStayAsTheyAre) {
  EXPECT_EQ(decodeTraceString(R"(a\qb\)", true), R"(a\qb\)");
  EXPECT_EQ(decodeTraceString(R"(\x4)", false), R"(\x4)");
  // A lone surrogate cannot be UTF-8; it becomes the replacement character.
  EXPECT_EQ(decodeTraceString(R"(\d800x)", true), "\xEF\xBF\xBDx");
}

}  // namespace
}  // namespace e2e
