#include "CliCommand.h"

const std::vector<CCliCommand>& CommandTable() {
    static const std::vector<CCliCommand> table = [] {
        std::vector<CCliCommand> all;
        for (auto group :
             {Module1Commands, MacrosCommands, LogoCommands, WirelessCommands, ProvisioningCommands,
              ProvisionCommands, RecordCommands, ProjectCommands}) {
            const std::vector<CCliCommand> rows = group();
            all.insert(all.end(), rows.begin(), rows.end());
        }
        // --json on a command that runs on several ports prints the summary, with each
        // port's own result inside it.
        for (CCliCommand& c : all) {
            if (c.manyPorts && !c.ownJson && c.options.contains(QStringLiteral("json")))
                c.json = JsonShape::Summary(c.json);
        }
        return all;
    }();
    return table;
}

QString CommandGroup(const CCliCommand& command) {
    const qsizetype space = command.name.indexOf(QLatin1Char(' '));
    return space < 0 ? QString() : command.name.left(space);
}
