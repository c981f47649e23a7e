// Checks proper to korvane.exe: how its output ends lines, input from a file, and the answers
// that the Windows build must give promptly under a Windows interface's pipes.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/session.h"
#include "e2e/windows_process.h"
#include "frontend/uci.h"
#include "search/search.h"

namespace {

// Runs korvane.exe with standard input from a file holding input and standard output into a
// file; returns the output's bytes as written.
std::string run_with_files(const std::string& input)
{
    const std::string in_path = "korvane_e2e_input.txt", out_path = "korvane_e2e_output.txt";
    std::ofstream(in_path, std::ios::binary) << input;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE in = CreateFileA(in_path.c_str(), GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
    HANDLE out = CreateFileA(out_path.c_str(), GENERIC_WRITE, 0, &inherit, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(in, INVALID_HANDLE_VALUE);
    EXPECT_NE(out, INVALID_HANDLE_VALUE);
    PROCESS_INFORMATION info = {};
    EXPECT_TRUE(create_process_on(KORVANE_BINARY, in, out, info));
    CloseHandle(in);
    CloseHandle(out);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 60000), WAIT_OBJECT_0);
    DWORD status = 1;
    GetExitCodeProcess(info.hProcess, &status);
    EXPECT_EQ(status, 0u);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    std::stringstream bytes;
    bytes << std::ifstream(out_path, std::ios::binary).rdbuf();
    return bytes.str();
}

}  // namespace

// The output keeps Windows' text-mode line ends: every line ends "\r\n", none "\n" alone.
// Commands come from a file here, which the poll of a search sees as always waiting.
TEST(WindowsE2e, OutputLinesEndInCarriageReturnNewlineAndFileInputIsRead)
{
    const std::string out = run_with_files("uci\r\nisready\nposition startpos moves e2e4\ngo depth 3\nperft 1\n");
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1) {
        ASSERT_GT(end, start) << "an empty line";
        EXPECT_EQ(out[end - 1], '\r') << "a line ends in a bare newline: " << out.substr(start, end - start);
        lines.push_back(out.substr(start, end - start - 1));
    }
    EXPECT_EQ(start, out.size()) << "output after the last line end";
    ASSERT_GE(lines.size(), 8u) << out;
    EXPECT_EQ(lines[0], BANNER);
    EXPECT_EQ(lines[1], std::string("id name Korvane ") + ENGINE_VERSION);
    EXPECT_EQ(lines[4], "uciok");
    EXPECT_EQ(lines[5], "readyok");
    EXPECT_EQ(count_prefix(lines, "bestmove "), 1) << out;
    EXPECT_EQ(count_prefix(lines, "Nodes for depth 1:  20"), 1) << out;
}

// The answers a Windows interface waits for: "stop" is answered promptly, and clocks are kept
// to the budgets the engine computes itself, by its own account of each search (a loaded
// machine stretches the wall clock anywhere between the engine and the test).
TEST(WindowsE2e, StopAndClocksAreAnsweredPromptly)
{
    START_ENGINE(engine);
    for (int round = 0; round < 3; ++round) {
        start_infinite_search(engine, 300);
        const long long sent = now_ms();
        engine.send("stop\n");
        const std::vector<std::string> out = engine.until_bestmove(PROMPT_MS);
        EXPECT_LT(now_ms() - sent, PROMPT_MS) << "stop took long to end the search";
        ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
        EXPECT_EQ(engine.reply("position startpos moves " + bestmove_of(out) + "\n"), std::vector<std::string>{});
    }

    start_engine();  // the engine's own budget for each clock, computed in this process
    for (const char* go_line :
         {"go wtime 3000 btime 3000 winc 100 binc 100\n", "go wtime 800 btime 20000 winc 0 binc 500\n",
          "go wtime 60000 btime 60000 winc 1000 binc 1000 movestogo 5\n"}) {
        SCOPED_TRACE(go_line);
        set_limits(parse_go(go_line));
        const double budget = limits.time_budget;
        EXPECT_EQ(engine.reply("position startpos\n"), std::vector<std::string>{});
        const std::vector<std::string> out = engine.search(go_line, 30000);
        ASSERT_FALSE(bestmove_of(out).empty()) << testing::PrintToString(out);
        expect_kept_to_budget(out, budget);
    }
    engine.expect_responsive_then_clean_exit();
}
