#pragma once
// Bitboards and the attack tables the move generator reads: one bit per square,
// bit 0 = a1. Internal to the chess module.

#include <array>
#include <bit>
#include <cstdint>

namespace quorvane::chess::detail {

using Bitboard = std::uint64_t;

constexpr Bitboard bit(int square) {
    return Bitboard{1} << square;
}
constexpr int lowest(Bitboard b) {
    return std::countr_zero(b);
}
// Removes and returns the lowest square of a non-empty set.
constexpr int popLowest(Bitboard &b) {
    const int square = std::countr_zero(b);
    b &= b - 1;
    return square;
}

// The eight directions as steps of file and rank. The first four raise the
// square number, so the nearest blocker on them is the lowest set bit; on the
// last four it is the highest.
struct Step {
    int file;
    int rank;
};
// N, NE, E, NW, then S, SW, W, SE.
constexpr std::array<Step, 8> kDirections{{{0, 1}, {1, 1}, {1, 0}, {-1, 1}, {0, -1}, {-1, -1}, {-1, 0}, {1, -1}}};
constexpr int kNorth = 0, kNorthEast = 1, kEast = 2, kNorthWest = 3;
constexpr int kSouth = 4, kSouthWest = 5, kWest = 6, kSouthEast = 7;

constexpr std::array<Step, 8> kKnightSteps{{{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}}};

struct Tables {
    std::array<Bitboard, 64> knight{};
    std::array<Bitboard, 64> king{};
    // pawn[c][s]: the squares a pawn of colour c on s attacks.
    std::array<std::array<Bitboard, 64>, 2> pawn{};
    // ray[d][s]: the squares from s outwards in direction d, to the edge.
    std::array<std::array<Bitboard, 64>, 8> ray{};
    // between[a][b]: the squares strictly between two squares on one line.
    std::array<std::array<Bitboard, 64>, 64> between{};
    // line[a][b]: the whole line through two squares on one line, edge to edge.
    std::array<std::array<Bitboard, 64>, 64> line{};
};

constexpr bool onBoard(int file, int rank) {
    return file >= 0 && file < 8 && rank >= 0 && rank < 8;
}

constexpr Bitboard steps(int square, const std::array<Step, 8> &table) {
    Bitboard b = 0;
    for (const Step &s : table) {
        const int f = square % 8 + s.file, r = square / 8 + s.rank;
        if (onBoard(f, r))
            b |= bit(r * 8 + f);
    }
    return b;
}

constexpr Tables makeTables() {
    Tables t;
    for (int s = 0; s < 64; ++s) {
        t.knight[s] = steps(s, kKnightSteps);
        t.king[s] = steps(s, kDirections);
        const int f = s % 8, r = s / 8;
        for (int side = 0; side < 2; ++side) {
            const int forward = side == 0 ? 1 : -1;
            for (int df : {-1, 1})
                if (onBoard(f + df, r + forward))
                    t.pawn[side][s] |= bit((r + forward) * 8 + f + df);
        }
        for (int d = 0; d < 8; ++d) {
            Bitboard passed = 0;
            for (int ff = f + kDirections[d].file, rr = r + kDirections[d].rank; onBoard(ff, rr);
                 ff += kDirections[d].file, rr += kDirections[d].rank) {
                const int to = rr * 8 + ff;
                t.ray[d][s] |= bit(to);
                t.between[s][to] = passed;
                passed |= bit(to);
            }
        }
    }
    for (int s = 0; s < 64; ++s)
        for (int d = 0; d < 8; ++d) {
            const Bitboard whole = t.ray[d][s] | t.ray[(d + 4) % 8][s] | bit(s);
            for (Bitboard b = t.ray[d][s]; b;)
                t.line[s][popLowest(b)] = whole;
        }
    return t;
}

inline constexpr Tables kTables = makeTables();

template <int Direction> inline Bitboard rayAttacks(int square, Bitboard occupancy) {
    Bitboard attacks = kTables.ray[Direction][square];
    if (const Bitboard blockers = attacks & occupancy) {
        const int nearest = Direction < 4 ? std::countr_zero(blockers) : 63 - std::countl_zero(blockers);
        attacks ^= kTables.ray[Direction][nearest];
    }
    return attacks;
}

inline Bitboard rookAttacks(int square, Bitboard occupancy) {
    return rayAttacks<kNorth>(square, occupancy) | rayAttacks<kEast>(square, occupancy) |
           rayAttacks<kSouth>(square, occupancy) | rayAttacks<kWest>(square, occupancy);
}

inline Bitboard bishopAttacks(int square, Bitboard occupancy) {
    return rayAttacks<kNorthEast>(square, occupancy) | rayAttacks<kNorthWest>(square, occupancy) |
           rayAttacks<kSouthWest>(square, occupancy) | rayAttacks<kSouthEast>(square, occupancy);
}

} // namespace quorvane::chess::detail
