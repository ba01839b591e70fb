#include "HelpPage.h"

#include "CliCommand.h"
#include "KvuCtl.h"
#include "KvuCtlOptions.h"

namespace KvuCtlHelp {

QString Anchor(const QString& commandName) {
    return QStringLiteral("kvuctl-") +
           QString(commandName).replace(QLatin1Char(' '), QLatin1Char('-'));
}

QString Page() {
    QString html = QStringLiteral(
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>kvuctl commands</title>\n</head>\n<body>\n"
        "<h1 id=\"kvuctl\">kvuctl commands</h1>\n"
        "<p><a href=\"kvu.html\">Back to the KVU help</a></p>\n"
        "<p><code>kvuctl</code> runs KVU's printer functions from a terminal, for "
        "provisioning printers by script. It uses the same port table and baud rate as "
        "KVU. Every command shows its own help with <code>kvuctl COMMAND --help</code>; "
        "this page lists the same texts.</p>\n"
        "<h2 id=\"kvuctl-overview\">Overview</h2>\n<table>\n"
        "<tr><th>command</th><th>what it does</th></tr>\n");
    for (const CCliCommand& c : CommandTable()) {
        html += QStringLiteral("<tr><td><a href=\"#%1\"><code>%2</code></a></td><td>%3</td></tr>\n")
                    .arg(Anchor(c.name), c.name.toHtmlEscaped(),
                         c.summary.toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1Char(' ')));
    }
    html += QStringLiteral("</table>\n");
    for (const CCliCommand& c : CommandTable()) {
        html +=
            QStringLiteral("<h2 id=\"%1\">kvuctl %2</h2>\n<pre>kvuctl %2 %3</pre>\n<pre>%4</pre>\n")
                .arg(Anchor(c.name), c.name.toHtmlEscaped(), c.synopsis.toHtmlEscaped(),
                     c.help.trimmed().toHtmlEscaped());
    }
    html += QStringLiteral("<h2 id=\"kvuctl-options\">Options</h2>\n<pre>%1</pre>\n"
                           "<h2 id=\"kvuctl-exit-codes\">Exit codes</h2>\n<pre>%2</pre>\n"
                           "</body>\n</html>\n")
                .arg(KvuCtlOptionsText().trimmed().toHtmlEscaped(),
                     KvuCtlExitCodesText().trimmed().toHtmlEscaped());
    return html;
}

} // namespace KvuCtlHelp
