#pragma once
// The largest record the program accepts, written for the benchmarks: 32,767
// lines, five of header and 32,762 move lines, 65,524 half-moves. The moves are
// knights and centre pawns going out and back, so every half-move finds its
// piece and every step does the work of a real one.

#include <fstream>
#include <string>

namespace quorvane::bench {

constexpr int kRecordLines = 32767;
constexpr int kMoveLines = kRecordLines - 5;
constexpr int kHalfMoves = 2 * kMoveLines;

inline std::string LargestRecordText() {
    static const char *const kCycle[] = {
        "g1-f3 g8-f6", "b1-c3 b8-c6", "f3-g1 f6-g8", "c3-b1 c6-b8", "e2-e3 e7-e6", "e3-e2 e6-e7",
    };
    std::string text = ";Title: Chess Game\n;White: knightowl_77\n;Black: quiet_bishop\n"
                       ";Date: Tue Jun 01 20:11:16 GMT 2004\n\n";
    for (int i = 0; i < kMoveLines; ++i) {
        text += std::to_string(i + 1) + ". " + kCycle[i % 6];
        if (i + 1 < kMoveLines)
            text += '\n';
    }
    return text;
}

inline void WriteLargestRecord(const std::string &path) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << LargestRecordText();
}

} // namespace quorvane::bench
