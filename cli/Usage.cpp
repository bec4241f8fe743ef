// The usage text and the version.
#include "Usage.h"

namespace ortavo {

void WriteUsage(std::ostream& out) {
    out << "usage: ortavo-cli inspect FILE\n"
           "       ortavo-cli query [--user NAME] [--password TEXT | --password-file FILE]\n"
           "                        [--charset NAME] DATABASE SELECT\n"
           "       ortavo-cli run [--user NAME] [--password TEXT | --password-file FILE]\n"
           "                      [--dry-run] [--journal FILE] [--report FILE]\n"
           "                      [--lock-timeout SECONDS] [--no-statement-cache]\n"
           "                      DATABASE FILE\n"
           "       ortavo-cli restore [--user NAME] [--password TEXT | --password-file FILE]\n"
           "                          [--lock-timeout SECONDS] [--dry-run] [--run RUN | --all]\n"
           "                          JOURNAL DATABASE\n"
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
           "         --no-statement-cache prepares every statement anew on the server, for\n"
           "         troubleshooting a server\n"
           "restore  puts the sales of a run's journal back to the amounts and marks they held\n"
           "         before it (DATABASE as the journal names it; the latest run unless --run RUN\n"
           "         or --all); a sale changed since is left alone as a conflict; --dry-run\n"
           "         keeps nothing\n"
           "\n"
           "query, run and restore take an option's value also after an equals sign\n"
           "         (--user=NAME), and --password-file FILE instead of --password: the\n"
           "         password is FILE's first line, and FILE must be the user's own, open to its\n"
           "         owner only (chmod 600); --password shows the password to every local user\n"
           "run and restore also take --lock-timeout SECONDS: a sale another user has locked\n"
           "         is waited for at most SECONDS (1 to 32767), then the command fails; without\n"
           "         it the command waits as the window does\n";
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
