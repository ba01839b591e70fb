#include "RecipeTemplate.h"

namespace {
// Walks the text: literal pieces and names, in order; false on a malformed template.
bool Walk(const QString& text, const std::function<void(const QString& literal)>& onText,
          const std::function<void(const QString& name)>& onName, QString* error) {
    QString literal;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const bool doubled = i + 1 < text.size() && text[i + 1] == c;
        if (c == QLatin1Char('{') && doubled) {
            literal += c;
            ++i;
        } else if (c == QLatin1Char('}') && doubled) {
            literal += c;
            ++i;
        } else if (c == QLatin1Char('{')) {
            const int end = int(text.indexOf(QLatin1Char('}'), i + 1));
            const int nextOpen = int(text.indexOf(QLatin1Char('{'), i + 1));
            if (end < 0 || (nextOpen >= 0 && nextOpen < end)) {
                if (error)
                    *error = QStringLiteral("'{' at character %1 is not closed (write {{ for a "
                                            "brace)")
                                 .arg(i + 1);
                return false;
            }
            const QString name = text.mid(i + 1, end - i - 1).trimmed();
            if (name.isEmpty()) {
                if (error)
                    *error = QStringLiteral("'{}' names nothing");
                return false;
            }
            onText(literal);
            literal.clear();
            onName(name);
            i = end;
        } else if (c == QLatin1Char('}')) {
            if (error)
                *error = QStringLiteral("'}' at character %1 closes nothing (write }} for a "
                                        "brace)")
                             .arg(i + 1);
            return false;
        } else {
            literal += c;
        }
    }
    onText(literal);
    return true;
}
} // namespace

namespace RecipeTemplate {

const QStringList& PrinterNames() {
    static const QStringList names = {QStringLiteral("n"), QStringLiteral("serial"),
                                      QStringLiteral("port"), QStringLiteral("address")};
    return names;
}

bool Names(const QString& text, QStringList* names, QString* error) {
    names->clear();
    return Walk(
        text, [](const QString&) {}, [&](const QString& name) { *names << name; }, error);
}

QString Expand(const QString& text, const std::function<bool(const QString&, QString*)>& lookup,
               bool partial) {
    QString out;
    const bool ok = Walk(
        text,
        [&](const QString& literal) {
            if (!partial) {
                out += literal;
                return;
            }
            QString doubled = literal;
            doubled.replace(QLatin1Char('{'), QStringLiteral("{{"));
            doubled.replace(QLatin1Char('}'), QStringLiteral("}}"));
            out += doubled;
        },
        [&](const QString& name) {
            QString value;
            if (lookup(name, &value))
                out += value;
            else
                out += QLatin1Char('{') + name + QLatin1Char('}');
        },
        nullptr);
    return ok ? out : text;
}

} // namespace RecipeTemplate
