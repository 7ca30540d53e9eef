// quarzel-data: the command-line tool for people who build or mod the game's data.

#include "Commands.h"
#include "archive/Error.h"

#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>

namespace {

using namespace qz::tool;

const Command Commands[] = {
    {"zxc",
     "zxc list ARCHIVE | zxc create ARCHIVE | zxc add ARCHIVE FILE [NAME [KIND]] | "
     "zxc extract ARCHIVE NAME OUTFILE | zxc replace ARCHIVE NAME FILE",
     RunZxc},
    {"cipher", "cipher KEY INFILE OUTFILE | cipher --hex KEYHEX INFILE OUTFILE", RunCipher},
    {"encode-text", "encode-text  (standard input to standard output, line by line)",
     RunEncodeText},
    {"decode-text", "decode-text  (standard input to standard output, line by line)",
     RunDecodeText},
    {"is-plain-text", "is-plain-text FILE", RunIsPlainText},
    {"digits-to-text", "digits-to-text DIGITS", RunDigitsToText},
    {"xml-format", "xml-format FILE", RunXmlFormat},
    {"fx-trace", "fx-trace EFFECT.xml --until MS --step MS [--seed N]", RunFxTrace},
    {"level-check", "level-check LEVELS_ARCHIVE GAME_ARCHIVE LEVELNAME", RunLevelCheck},
    {"play",
     "play LEVELS_ARCHIVE GAME_ARCHIVE LEVELNAME --mode 1|2|3 --seed N [--max-puts K]  "
     "(exit 0 when won)",
     RunPlay},
    {"contact-sheet", "contact-sheet GAME_ARCHIVE LEVELS_ARCHIVE OUT.png", RunContactSheet},
    {"board-picture",
     "board-picture GAME_ARCHIVE LEVELS_ARCHIVE LEVELNAME|--all OUT.png|FOLDER [--seed N]",
     RunBoardPicture},
    {"level-stats",
     "level-stats LEVELS_ARCHIVE GAME_ARCHIVE [--seeds N] [--modes 1,2,3] "
     "[--bot perfect|human|both] [--levels FIRST-LAST]",
     RunLevelStats},
    {"sound-levels",
     "sound-levels GAME_ARCHIVE  (peak and loudness of every sample and tune; exit 0 when "
     "all meet their targets)",
     RunSoundLevels},
    {"compose", "compose SCRIPT.aim ARCHIVE  (adds the picture the script makes, saves ARCHIVE)",
     RunCompose},
    {"convert", "convert SOURCE DEST  (the start-up conversion of an archive)", RunConvert},
    {"ui-dump",
     "ui-dump DESCRIPTION.li [--pictures ARCHIVE] [--font FONT.xml]... [--show WINDOW]... "
     "[--set OBJECT PROPERTY VALUE]... [--lang FILE.lng] [--png OUT.png]",
     RunUiDump},
};

void PrintHelp(std::ostream& out) {
    out << "quarzel-data: build and inspect Quarzel's game data\n\nCommands:\n";
    for (const Command& command : Commands) {
        out << "  quarzel-data " << command.Usage << "\n";
    }
    out << "\nEvery command exits 0 on success; on failure it prints the error on standard "
           "error and exits 1.\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        PrintHelp(argc < 2 ? std::cerr : std::cout);
        return argc < 2 ? 1 : 0;
    }
    for (const Command& command : Commands) {
        if (std::strcmp(argv[1], command.Name) != 0) {
            continue;
        }
        try {
            return command.Run(Arguments(argv + 2, argv + argc));
        } catch (const UsageError&) {
            std::cerr << "usage: quarzel-data " << command.Usage << "\n";
            return 1;
        } catch (const std::exception& error) {
            std::cout.flush();
            std::cerr << error.what() << "\n";
            return 1;
        }
    }
    std::cerr << "quarzel-data: unknown command \"" << argv[1] << "\" (see --help)\n";
    return 1;
}
