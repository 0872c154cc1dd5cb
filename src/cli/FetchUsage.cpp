// The fetch command's usage, kept apart from the command itself: keldar-cli prints it without
// loading the network libraries, which only keldar-cli-fetch links.
#include "cli/FetchCommand.h"

namespace keldar::cli {

namespace {

const char kUsage[] =
    "  keldar-cli fetch ROVER SOL[..SOL] DIR [--camera C]... [--eye left|right|both] [--filter N]\n"
    "                   [--edr] [--types all|T,T...] [--jobs N] [--archive-names] [--base URL]\n"
    "                   [--stall-seconds N] [--give-up-seconds N]\n"
    "      Fetches the products of a rover (spirit or opportunity) taken on a sol or a range of\n"
    "      sols from the PDS imaging archive into DIR: the browse JPEGs, or with --edr the EDRs,\n"
    "      named <ID>.JPG or <ID>.IMG (--archive-names keeps the archive's lower-case names),\n"
    "      each with a detached label <ID>.LBL holding its index row. --camera navcam, pancam,\n"
    "      hazcam, mi or descent (repeatable; default all), --eye and --filter narrow the\n"
    "      products. Every product type is fetched but the reference pixels (ERP) and histograms\n"
    "      (EHG), and a thumbnail (ETH) only when no larger product of its image is listed;\n"
    "      --types EFF,EDN,... or --types all chooses otherwise. --jobs N transfers at once\n"
    "      (default 4); a transfer under 1 KB/s over --stall-seconds (default 30) is tried again,\n"
    "      and a product that takes longer than --give-up-seconds (default 600) in all is given up.\n"
    "      A file already in DIR is kept and\n"
    "      counted as skipped, so a second run fetches only what is missing. --base URL uses a\n"
    "      mirror of https://planetarydata.jpl.nasa.gov/img/data/mer/. Progress on stderr when\n"
    "      it is a terminal; a summary line on stdout, and in words when the index lists nothing.\n"
    "      Index rows that name no safe file are dropped and named on stderr. Exit status 0 when\n"
    "      the index was read and every product was fetched or skipped, 1 when the archive or\n"
    "      its index could not be read, the directory cannot be written, or any product failed\n"
    "      (each named on stderr), 2 on a usage error, 130\n"
    "      when stopped by SIGINT or SIGTERM (no partial file under a final name).\n";

}  // namespace

const char* fetchCommandUsage() { return kUsage; }

}  // namespace keldar::cli
