// The usage text and the version.
#include "Usage.h"

namespace ortavo {

void WriteUsage(std::ostream& out) {
    out << "usage: ortavo-cli inspect FILE\n"
           "       ortavo-cli query [--user NAME] [--password TEXT] [--charset NAME] DATABASE "
           "SELECT\n"
           "       ortavo-cli run [--user NAME] [--password TEXT] [--dry-run] [--journal FILE] "
           "DATABASE FILE\n"
           "       ortavo-cli restore [--user NAME] [--password TEXT | --password-file FILE]\n"
           "                  [--lock-timeout SECONDS] [--dry-run] [--run RUN | --all] JOURNAL "
           "DATABASE\n"
           "       ortavo-cli --help | -h\n"
           "       ortavo-cli --version\n"
           "\n"
           "inspect  prints the records of a fiscal file as a run reads them\n"
           "query    prints the rows of a select, as the run's query reads them (user VORAS\n"
           "         unless --user); nothing is changed\n"
           "run      reconciles the coupons of FILE with the sales of DATABASE, as the window's\n"
           "         \"Iniciar\" does (user VORAS unless --user); --dry-run keeps nothing;\n"
           "         --journal appends a CSV row for every sale overwritten;\n"
           "         --report FILE writes a CSV row for every coupon and what became of it;\n"
           "         the last line on stderr sums the coupons up;\n"
           "         --no-statement-cache prepares every statement anew on the server\n"
           "restore  puts the sales of a run's journal back to the amounts and marks they held\n"
           "         before it (DATABASE as the journal names it; the latest run unless --run RUN\n"
           "         or --all); a sale changed since is left alone as a conflict; --dry-run\n"
           "         keeps nothing; --password-file and --lock-timeout as for run\n"
           "\n"
           "query and run also take --password-file FILE instead of --password: the password\n"
           "         is FILE's first line, and FILE must be readable by its owner only (chmod\n"
           "         600); --password shows the password to every local user\n"
           "run also takes --lock-timeout SECONDS: a sale another user has locked is waited\n"
           "         for at most SECONDS (1 to 32767), then the run fails; without it the run\n"
           "         waits as the window does\n";
}

void WriteVersion(std::ostream& out) {
    out << "ortavo-cli " ORTAVO_VERSION "\n";
}

int UsageError(std::ostream& err, const char* what) {
    err << "ortavo-cli: " << what << '\n';
    WriteUsage(err);
    return CliUsageStatus;
}

} // namespace ortavo
