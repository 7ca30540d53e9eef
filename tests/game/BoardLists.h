#pragma once
// The board's lists checked against each other: fragments and their owners, crystals and the
// lattice triangles they cover, the draw order, the queue, the bosses and the undo history.

#include "game/Board.h"

#include <string>

namespace qz::test {

// Fails the running test, naming where, at the first list that disagrees with another.
void ExpectConsistentLists(const TBoard& board, const std::string& where);

} // namespace qz::test
