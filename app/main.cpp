// The program block: reads the command line and runs the game.
#include "app/GameRunner.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    qz::TRunOptions options;
    try {
        options = qz::ParseCommandLine(args);
    } catch (const qz::TCommandLineError& error) {
        std::cerr << "quarzel: " << error.what() << "\n";
        return qz::ExitBadInput;
    }
    try {
        return qz::RunGame(options, std::cerr);
    } catch (const std::exception& error) {
        std::cerr << "quarzel: " << error.what() << "\n";
        return 1;
    }
}
