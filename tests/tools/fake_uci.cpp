// A scripted UCI engine for the engine tests. It writes every command it gets to
// $FAKE_UCI_LOG (one a line) and behaves as $FAKE_UCI_MODE says:
//   normal       answers everything at once
//   slowstop     after stop, prints one more line of the old search and waits
//                0.2 s before its bestmove, as a busy engine does
//   crash        dies as soon as a search starts
//   hang         never answers isready
//   ignorequit   does not end on quit (it has to be killed)
// Its score is ten centipawns times the position's move number, so a test can
// tell which position a line was searched in, unless $FAKE_UCI_SCORES names a
// file of known answers, one a line: the position's FEN, a tab, the score from
// the side to move ("cp 35" or "mate -2"), a tab and the line in UCI moves. A
// position the file does not name gets the move-number score.
// "setoption name MultiPV value N" makes every search print N lines, line i
// ten centipawns worse than line i - 1 and starting with another move.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

namespace {

void say(const std::string &line) {
    std::cout << line << '\n' << std::flush;
}

struct Answer {
    std::string score; // "cp 35", "mate -2"
    std::string pv;
};

std::map<std::string, Answer> readAnswers() {
    std::map<std::string, Answer> answers;
    const char *path = std::getenv("FAKE_UCI_SCORES");
    if (!path)
        return answers;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const auto tab1 = line.find('\t');
        const auto tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos)
            continue;
        answers[line.substr(0, tab1)] = {line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)};
    }
    return answers;
}

const std::string kOtherFirstMoves[] = {"e2e4", "d2d4", "g1f3", "c2c4", "b1c3"};

} // namespace

int main() {
    const char *modeEnv = std::getenv("FAKE_UCI_MODE");
    const std::string mode = modeEnv ? modeEnv : "normal";
    const char *logPath = std::getenv("FAKE_UCI_LOG");
    std::ofstream log;
    if (logPath)
        log.open(logPath, std::ios::app);

    const std::map<std::string, Answer> answers = readAnswers();
    int score = 0;
    int lines = 1;
    const Answer *answer = nullptr;
    bool searching = false;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (log.is_open())
            log << line << '\n' << std::flush;
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "uci") {
            say("id name Fake Engine 1.0");
            say("id author The Tests");
            say("option name Threads type spin default 1 min 1 max 8");
            say("uciok");
        } else if (command == "isready") {
            if (mode != "hang")
                say("readyok");
        } else if (command == "position") {
            // position fen <6 fields>: the last field is the move number
            std::string word, last, fen;
            words >> word; // fen
            while (words >> word) {
                fen += (fen.empty() ? "" : " ") + word;
                last = word;
            }
            score = 10 * std::atoi(last.c_str());
            const auto found = answers.find(fen);
            answer = found == answers.end() ? nullptr : &found->second;
        } else if (command == "setoption") {
            std::string word, name, value;
            while (words >> word) {
                if (word == "name")
                    words >> name;
                else if (word == "value")
                    words >> value;
            }
            if (name == "MultiPV")
                lines = std::max(1, std::min(5, std::atoi(value.c_str())));
        } else if (command == "go") {
            if (mode == "crash")
                return 3;
            std::string kind;
            words >> kind;
            if (answer) {
                say("info depth 1 seldepth 1 multipv 1 score " + answer->score + " nodes 20 pv " + answer->pv);
                const std::string best = answer->pv.substr(0, answer->pv.find(' '));
                if (kind == "infinite")
                    searching = true;
                else
                    say("bestmove " + (best.empty() ? std::string("(none)") : best));
                continue;
            }
            const std::string cp = " score cp " + std::to_string(score);
            say("info depth 1 seldepth 1 multipv 1" + cp + " nodes 20 nps 1000 time 1 pv e2e4 e7e5");
            say("info depth 2 seldepth 3 multipv 1" + cp + " upperbound nodes 40 pv e2e4");
            say("info depth 2 seldepth 3 multipv 1" + cp + " nodes 60 nps 1000 time 2 pv e2e4 e7e5 g1f3");
            for (int i = 2; i <= lines; ++i)
                say("info depth 2 seldepth 3 multipv " + std::to_string(i) + " score cp " +
                    std::to_string(score - 10 * (i - 1)) + " nodes 60 pv " + kOtherFirstMoves[i - 1] + " e7e5");
            if (kind == "infinite") {
                searching = true;
            } else {
                say("bestmove e2e4 ponder e7e5");
            }
        } else if (command == "stop") {
            if (searching) {
                searching = false;
                say("info depth 3" + std::string(" score cp ") + std::to_string(score) + " nodes 80 pv e2e4");
                if (mode == "slowstop")
                    std::this_thread::sleep_for(std::chrono::milliseconds(200));
                say("bestmove e2e4 ponder e7e5");
            }
        } else if (command == "quit") {
            if (mode != "ignorequit")
                return 0;
        }
    }
    if (mode == "ignorequit") {
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    return 0;
}
