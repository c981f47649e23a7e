// What the tools and the tests share: reading the perft suite's lines, and a FEN given on the
// command line as separate words.
#pragma once
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// One line of a perft suite: "<FEN> ;D1 n ;D2 n ..." with the depths running from 1 upward.
struct SuiteCase {
    std::string fen;
    std::vector<uint64_t> counts;  // counts[d - 1] is the count at depth d
};

// Reads one suite line into c; false when it is not "<FEN> ;D1 n ;D2 n ..." with depths in
// order from 1.
inline bool parse_suite_line(const std::string& line, SuiteCase& c)
{
    c = SuiteCase{};
    std::stringstream fields(line);
    std::string field;
    if (!std::getline(fields, field, ';'))
        return false;
    c.fen = field.substr(0, field.find_last_not_of(' ') + 1);
    while (std::getline(fields, field, ';')) {
        unsigned depth;
        unsigned long long nodes;
        if (std::sscanf(field.c_str(), " D%u %llu", &depth, &nodes) != 2 || depth != c.counts.size() + 1)
            return false;
        c.counts.push_back(nodes);
    }
    return !c.fen.empty() && !c.counts.empty();
}

// Blank lines and lines beginning with '#' are not cases.
inline bool is_suite_case(const std::string& line) { return !line.empty() && line[0] != '#'; }

// The words argv[first..argc-1] joined by single blanks: a FEN typed without quotes.
inline std::string joined_words(int argc, char** argv, int first)
{
    std::string text;
    for (int i = first; i < argc; ++i) {
        if (i > first)
            text += ' ';
        text += argv[i];
    }
    return text;
}
