// The query command's options, read as the run's are.
#include "QueryCommand.h"

#include "CommandLine.h"
#include "QueryListing.h"
#include "Usage.h"

namespace ortavo {

int QueryCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    TLoginOptions login;
    std::optional<std::string> charSet;
    std::vector<TCommandOption> options = {{"--charset", &charSet}};
    login.AddTo(options);
    const std::optional<TCommandLine> line = ParseCommandLine(args, options, err);
    if (!line)
        return QueryUsage;
    if (line->Help) {
        WriteUsage(out);
        return QueryOk;
    }
    if (!CheckNames(*line, 2, "query needs DATABASE and SELECT", err))
        return QueryUsage;
    std::optional<std::string> password;
    if (!login.ReadPassword(password, err))
        return QueryUsage;
    QueryOptions query;
    if (login.User)
        query.User = FromUtf8(*login.User);
    if (password)
        query.Password = FromUtf8(*password);
    if (charSet)
        query.CharSet = FromUtf8(*charSet);
    query.Database = FromUtf8(line->Names[0]);
    query.Select = FromUtf8(line->Names[1]);
    return RunQuery(query, out, err);
}

} // namespace ortavo
