// The fetch command's usage, kept apart from the command itself: keldar-cli prints it without
// loading the network libraries, which only keldar-cli-fetch links.
#include "cli/FetchCommand.h"

namespace keldar::cli {

namespace {

const char kUsage[] =
    "  keldar-cli fetch ROVER SOL[..SOL] DIR [--camera C]... [--eye left|right|both] [--filter N]\n"
    "                   [--edr] [--jobs N] [--archive-names] [--base URL]\n"
    "      Fetches the products of a rover (spirit or opportunity) taken on a sol or a range of\n"
    "      sols from the PDS imaging archive into DIR: the browse JPEGs, or with --edr the EDRs,\n"
    "      named <ID>.JPG or <ID>.IMG (--archive-names keeps the archive's lower-case names),\n"
    "      each with a detached label <ID>.LBL holding its index row. --camera navcam, pancam,\n"
    "      hazcam, mi or descent (repeatable; default all), --eye and --filter narrow the\n"
    "      products; --jobs N transfers at once (default 4). A file already in DIR is kept and\n"
    "      counted as skipped, so a second run fetches only what is missing. --base URL uses a\n"
    "      mirror of https://planetarydata.jpl.nasa.gov/img/data/mer/. Progress on stderr when\n"
    "      it is a terminal; a summary line on stdout. Exit status 0 when every product was\n"
    "      fetched or skipped, 1 when any failed (each named on stderr), 2 on a usage error, 130\n"
    "      when stopped by SIGINT or SIGTERM (no partial file under a final name).\n";

}  // namespace

const char* fetchCommandUsage() { return kUsage; }

}  // namespace keldar::cli
