#include "Recipe.h"

#include "files/FileAccess.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <sstream>
#include <string_view>

// toml++ reports errors through exceptions; recipes are read once, before anything runs.
#include <toml++/toml.h>

namespace {
QString Str(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

int LineOf(const toml::node& node) {
    return int(node.source().begin.line);
}

// The connection keys of the radio steps: the pass-through and the escape sequence.
QStringList ConnectionKeys() {
    return {QStringLiteral("from"),         QStringLiteral("to"),
            QStringLiteral("timeout"),      QStringLiteral("escape"),
            QStringLiteral("guard-before"), QStringLiteral("guard-after")};
}

QStringList PictureKeys() {
    return {QStringLiteral("picture"), QStringLiteral("width-code"), QStringLiteral("height"),
            QStringLiteral("zoom"),    QStringLiteral("pan"),        QStringLiteral("threshold"),
            QStringLiteral("dither")};
}

// A scalar as the text of the kvuctl option that takes it; false for tables and arrays.
bool ScalarText(const toml::node& node, QString* text, bool* isString) {
    *isString = false;
    if (const auto* s = node.as_string()) {
        *text = Str(s->get());
        *isString = true;
        return true;
    }
    if (const auto* i = node.as_integer()) {
        *text = QString::number(i->get());
        return true;
    }
    if (const auto* f = node.as_floating_point()) {
        const double v = f->get();
        if (!std::isfinite(v))
            return false;
        *text = QString::number(v, 'g', 15);
        return true;
    }
    if (const auto* b = node.as_boolean()) {
        *text = b->get() ? QStringLiteral("1") : QStringLiteral("0");
        return true;
    }
    return false;
}
} // namespace

const CRecipeValue* CRecipeStep::Find(const QString& key) const {
    for (const CRecipeValue& v : values) {
        if (v.key == key)
            return &v;
    }
    return nullptr;
}

QString CRecipeStep::Text(const QString& key) const {
    const CRecipeValue* v = Find(key);
    return v ? v->text : QString();
}

const QStringList& CRecipe::StepKinds() {
    static const QStringList kinds = {QStringLiteral("detect"),     QStringLiteral("check-battery"),
                                      QStringLiteral("burn"),       QStringLiteral("flash"),
                                      QStringLiteral("bt"),         QStringLiteral("wlan"),
                                      QStringLiteral("test-print"), QStringLiteral("print-logo")};
    return kinds;
}

QStringList CRecipe::KeysOf(const QString& kind) {
    if (kind == QLatin1String("detect"))
        return {};
    if (kind == QLatin1String("check-battery"))
        return {QStringLiteral("min-volts")};
    if (kind == QLatin1String("burn"))
        return {QStringLiteral("project")};
    if (kind == QLatin1String("flash"))
        return QStringList{QStringLiteral("slot")} + PictureKeys();
    if (kind == QLatin1String("bt"))
        return ConnectionKeys() +
               QStringList{QStringLiteral("name"),  QStringLiteral("pin"),
                           QStringLiteral("class"), QStringLiteral("discoverable"),
                           QStringLiteral("power"), QStringLiteral("security")};
    if (kind == QLatin1String("wlan"))
        return ConnectionKeys() + QStringList{QStringLiteral("ssid"),
                                              QStringLiteral("channel"),
                                              QStringLiteral("mode"),
                                              QStringLiteral("authentication"),
                                              QStringLiteral("encryption"),
                                              QStringLiteral("rate"),
                                              QStringLiteral("link-adaptation"),
                                              QStringLiteral("user"),
                                              QStringLiteral("active-key"),
                                              QStringLiteral("key-index"),
                                              QStringLiteral("key"),
                                              QStringLiteral("ip"),
                                              QStringLiteral("netmask"),
                                              QStringLiteral("gateway"),
                                              QStringLiteral("dhcp"),
                                              QStringLiteral("hostname"),
                                              QStringLiteral("dns1"),
                                              QStringLiteral("dns2")};
    if (kind == QLatin1String("test-print"))
        return QStringList{QStringLiteral("text")} + PictureKeys();
    if (kind == QLatin1String("print-logo"))
        return {QStringLiteral("slot")};
    return {};
}

const QStringList& CRecipe::PrinterKeys() {
    static const QStringList keys = {QStringLiteral("port"), QStringLiteral("serial"),
                                     QStringLiteral("n")};
    return keys;
}

QString CRecipe::Resolve(const QString& file) const {
    if (file.isEmpty() || QDir::isAbsolutePath(file))
        return file;
    return QFileInfo(m_path).absoluteDir().filePath(file);
}

bool CRecipe::Read(const QString& path, QString* error) {
    QByteArray bytes;
    QString detail;
    if (FileAccess::ReadRegularFile(path, kFileLimit, &bytes, &detail) !=
        FileAccess::ReadResult::Ok) {
        *error = QStringLiteral("%1: cannot be read%2")
                     .arg(path, detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail));
        return false;
    }
    return Parse(bytes, path, error);
}

bool CRecipe::Parse(const QByteArray& text, const QString& path, QString* error) {
    m_path = path;
    m_source = text;
    m_steps.clear();
    const auto fail = [&](int line, const QString& what) {
        *error = line > 0 ? QStringLiteral("%1:%2: %3").arg(path).arg(line).arg(what)
                          : QStringLiteral("%1: %2").arg(path, what);
        return false;
    };
    toml::table root;
    try {
        root = toml::parse(std::string_view(text.constData(), size_t(text.size())),
                           path.toStdString());
    } catch (const toml::parse_error& e) {
        return fail(int(e.source().begin.line), Str(e.description()));
    }

    bool haveName = false;
    for (auto&& [key, node] : root) {
        const QString k = Str(key.str());
        const int line = LineOf(node);
        QString value;
        bool isString = false;
        if (k == QLatin1String("step")) {
            const toml::array* steps = node.as_array();
            if (!steps || !steps->is_array_of_tables())
                return fail(line, QStringLiteral("'step' must be a list of [[step]] tables"));
            continue;
        }
        if (k != QLatin1String("name") && k != QLatin1String("printers") &&
            k != QLatin1String("key"))
            return fail(line, QStringLiteral("unknown key '%1' (the recipe takes name, printers, "
                                             "key and [[step]])")
                                  .arg(k));
        if (!ScalarText(node, &value, &isString) || !isString)
            return fail(line, QStringLiteral("'%1' must be a text in double quotes").arg(k));
        if (k == QLatin1String("name")) {
            m_name = value.trimmed();
            haveName = true;
            if (m_name.isEmpty())
                return fail(line, QStringLiteral("'name' must not be empty"));
        } else if (k == QLatin1String("printers")) {
            m_printers = value;
        } else {
            if (!PrinterKeys().contains(value))
                return fail(line, QStringLiteral("'key' takes \"port\", \"serial\" or \"n\""));
            m_key = value;
        }
    }
    if (!haveName)
        return fail(0, QStringLiteral("the recipe has no 'name'"));

    const toml::array* steps = root["step"].as_array();
    if (!steps || steps->empty())
        return fail(0, QStringLiteral("the recipe has no [[step]]"));
    for (const toml::node& stepNode : *steps) {
        const toml::table& table = *stepNode.as_table();
        CRecipeStep step;
        step.line = LineOf(stepNode);
        const toml::node* kind = table.get("do");
        QString kindText;
        bool isString = false;
        if (!kind || !ScalarText(*kind, &kindText, &isString) || !isString)
            return fail(step.line, QStringLiteral("a [[step]] needs do = \"...\" (one of %1)")
                                       .arg(StepKinds().join(QStringLiteral(", "))));
        if (!StepKinds().contains(kindText))
            return fail(LineOf(*kind), QStringLiteral("unknown step '%1' (one of %2)")
                                           .arg(kindText, StepKinds().join(QStringLiteral(", "))));
        step.kind = kindText;
        const QStringList allowed = KeysOf(kindText);
        for (auto&& [key, node] : table) {
            const QString k = Str(key.str());
            if (k == QLatin1String("do"))
                continue;
            if (!allowed.contains(k))
                return fail(LineOf(node),
                            allowed.isEmpty()
                                ? QStringLiteral("'%1' takes no keys, not '%2'").arg(kindText, k)
                                : QStringLiteral("unknown key '%1' for '%2' (it takes %3)")
                                      .arg(k, kindText, allowed.join(QStringLiteral(", "))));
            CRecipeValue v;
            v.key = k;
            v.line = LineOf(node);
            if (!ScalarText(node, &v.text, &v.isString))
                return fail(v.line,
                            QStringLiteral("'%1' must be a text, a number or true/false").arg(k));
            step.values.push_back(v);
        }
        m_steps.push_back(step);
    }
    return true;
}
