#pragma once

#include <optional>

// Reads the command line before any window-system connection is made, so that
// it answers without a display. --help and --version print and end the
// program; an option the game does not know is refused by name. Qt's own
// options (-style, -platform, ...) pass on to the application object.
// Returns the exit code when the program ends here, nothing when the game is
// to start. With MILTA_CHECK_COMMAND_LINE set, as the launcher asks before it
// makes the player's play folder, the program always ends here: silently and
// with 0 where the game would start. The game's own options go into
// `options`.
struct GameOptions
{
    bool raceByEar = false; // --race-by-ear
};
std::optional<int> answerCommandLine(int argc, char **argv, GameOptions &options);
