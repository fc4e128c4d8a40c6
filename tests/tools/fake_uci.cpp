// A scripted UCI engine for the engine tests. It writes every command it gets to
// $FAKE_UCI_LOG (one a line) and behaves as $FAKE_UCI_MODE says:
//   normal       answers everything at once
//   slowstop     after stop, prints one more line of the old search and waits
//                0.2 s before its bestmove, as a busy engine does
//   crash        dies as soon as a search starts
//   dieat        dies when a search starts in a position whose move number is
//                $FAKE_UCI_DIE_AT, and answers every other one as normal does
//   hang         never answers isready
//   ignorequit   does not end on quit or at the end of its input (it has to be killed)
//   nobestmove   a search with a node budget never ends (no bestmove)
//   longline     starts a search with 2 MiB of output that never ends its line
//   flood        a search writes info lines as fast as it can until stop
//   random       answers a search after 0 to 30 ms, so that searches in several
//                engines end in no set order; its score is also 5 centipawns
//                higher with Black to move
// A search with a node budget reports that many nodes in its last line.
// Its score is ten centipawns times the position's move number (from the side
// to move), so a test can tell which position a line was searched in, unless
// $FAKE_UCI_SCORES names a file of known answers, one a line: the position's
// FEN, a tab, the score from the side to move ("cp 35" or "mate -2"), a tab and
// the line in UCI moves. A position the file does not name gets the move-number
// score. "setoption name MultiPV value N" makes every search print N lines,
// line i ten centipawns worse than line i - 1 and starting with another move.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

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
    std::mt19937 random(std::random_device{}());

    const std::map<std::string, Answer> answers = readAnswers();
    const char *dieAtEnv = std::getenv("FAKE_UCI_DIE_AT");
    const int dieAt = dieAtEnv ? std::atoi(dieAtEnv) : -1;
    int moveNumber = 0;
    int score = 0;
    int lines = 1;
    const Answer *answer = nullptr;
    bool searching = false;
    std::atomic<bool> flooding = false;
    std::thread flood;
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
            // position fen <6 fields>: the side to move is the third word, the move number the last
            std::string word;
            words >> word; // fen
            std::vector<std::string> fields;
            std::string fen;
            for (; words >> word;) {
                fields.push_back(word);
                fen += (fen.empty() ? "" : " ") + word;
            }
            moveNumber = fields.empty() ? 0 : std::atoi(fields.back().c_str());
            score = 10 * moveNumber;
            if (mode == "random" && fields.size() >= 2 && fields[1] == "b")
                score += 5;
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
            if (mode == "crash" || (mode == "dieat" && moveNumber == dieAt))
                return 3;
            std::string kind;
            words >> kind;
            // A search with a budget says it searched that many nodes.
            std::string searched = "60";
            if (kind == "nodes")
                words >> searched;
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
            if (mode == "longline") {
                std::cout << "info string " << std::string(2 << 20, 'x') << std::flush;
                continue;
            }
            if (mode == "flood") {
                flooding = true;
                flood = std::thread([&flooding, cp] {
                    const std::string info = "info depth 5 multipv 1" + cp + " nodes 100 pv e2e4 e7e5\n";
                    while (flooding)
                        std::fwrite(info.data(), 1, info.size(), stdout);
                    std::fflush(stdout);
                });
                searching = true;
                continue;
            }
            say("info depth 1 seldepth 1 multipv 1" + cp + " nodes 20 nps 1000 time 1 pv e2e4 e7e5");
            say("info depth 2 seldepth 3 multipv 1" + cp + " upperbound nodes 40 pv e2e4");
            say("info depth 2 seldepth 3 multipv 1" + cp + " nodes " + searched + " nps 1000 time 2 pv e2e4 e7e5 g1f3");
            for (int i = 2; i <= lines; ++i)
                say("info depth 2 seldepth 3 multipv " + std::to_string(i) + " score cp " +
                    std::to_string(score - 10 * (i - 1)) + " nodes 60 pv " + kOtherFirstMoves[i - 1] + " e7e5");
            if (kind == "infinite") {
                searching = true;
            } else if (mode == "nobestmove") {
                searching = true;
            } else {
                if (mode == "random")
                    std::this_thread::sleep_for(std::chrono::milliseconds(random() % 31));
                say("bestmove e2e4 ponder e7e5");
            }
        } else if (command == "stop") {
            if (flooding) {
                flooding = false;
                flood.join();
            }
            if (searching && mode != "nobestmove") {
                searching = false;
                say("info depth 3" + std::string(" score cp ") + std::to_string(score) + " nodes 80 pv e2e4");
                if (mode == "slowstop")
                    std::this_thread::sleep_for(std::chrono::milliseconds(200));
                say("bestmove e2e4 ponder e7e5");
            }
        } else if (command == "quit") {
            if (mode != "ignorequit")
                break;
        }
    }
    if (flooding) {
        flooding = false;
        flood.join();
    }
    if (mode == "ignorequit") {
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    return 0;
}
