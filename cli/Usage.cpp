// The usage text and the version.
#include "Usage.h"

namespace ortavo {

void WriteUsage(std::ostream& out) {
    out << "usage: ortavo-cli inspect FILE\n"
           "       ortavo-cli query [--user NAME] [--password TEXT | --password-file FILE]\n"
           "                        [--charset NAME] DATABASE SELECT\n"
           "       ortavo-cli run [--user NAME] [--password TEXT | --password-file FILE]\n"
           "                      [--dry-run] [--journal FILE] [--lock-timeout SECONDS]\n"
           "                      [--no-statement-cache] DATABASE FILE\n"
           "       ortavo-cli --help | -h\n"
           "       ortavo-cli --version\n"
           "\n"
           "inspect  prints the records of a fiscal file as a run reads them\n"
           "query    prints the rows of a select, as the run's query reads them (user VORAS\n"
           "         unless --user); nothing is changed\n"
           "run      reconciles the coupons of FILE with the sales of DATABASE, as the window's\n"
           "         \"Iniciar\" does (user VORAS unless --user); --dry-run keeps nothing;\n"
           "         --journal appends a CSV row for every sale overwritten;\n"
           "         --no-statement-cache prepares every statement anew on the server, for\n"
           "         troubleshooting a server\n"
           "\n"
           "query and run take an option's value also after an equals sign (--user=NAME),\n"
           "         and --password-file FILE instead of --password: the password is FILE's\n"
           "         first line, and FILE must be the user's own, open to its owner only\n"
           "         (chmod 600); --password shows the password to every local user\n"
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
