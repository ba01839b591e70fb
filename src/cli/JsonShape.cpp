#include "JsonShape.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cmath>

CJsonShape JsonShape::Error() {
    return {
        {QStringLiteral("exit"), QStringLiteral("integer"),
         QStringLiteral("the exit code (see EXIT STATUS)")},
        {QStringLiteral("error"), QStringLiteral("string"),
         QStringLiteral("what went wrong, as stderr says it")},
    };
}

CJsonShape JsonShape::Summary(const CJsonShape& output) {
    CJsonShape shape = {
        {QStringLiteral("command"), QStringLiteral("string"), QStringLiteral("the command's name")},
        {QStringLiteral("exit"), QStringLiteral("integer"),
         QStringLiteral("the worst exit code of the ports")},
        {QStringLiteral("error"), QStringLiteral("string?"),
         QStringLiteral("when exit is not 0: which ports failed, and why")},
        {QStringLiteral("ports"), QStringLiteral("array"), QStringLiteral("one object per port")},
        {QStringLiteral("ports[]"), QStringLiteral("object"), QString()},
        {QStringLiteral("ports[].port"), QStringLiteral("string"),
         QStringLiteral("the port as given")},
        {QStringLiteral("ports[].device"), QStringLiteral("string"), QStringLiteral("its device")},
        {QStringLiteral("ports[].exit"), QStringLiteral("integer"),
         QStringLiteral("the port's exit code")},
        {QStringLiteral("ports[].result"), QStringLiteral("string"),
         QStringLiteral("the exit code's word: ok, not confirmed, refused, file error, link "
                        "error, interrupted")},
        {QStringLiteral("ports[].seconds"), QStringLiteral("number"),
         QStringLiteral("how long the port took")},
        {QStringLiteral("ports[].message"), QStringLiteral("string"),
         QStringLiteral("what the printer or the link reported, empty when nothing")},
    };
    if (!output.isEmpty())
        shape.append({QStringLiteral("ports[].output"), QStringLiteral("object?"),
                      QStringLiteral("the port's result, when it has one")});
    for (const CJsonField& f : output)
        shape.append({QStringLiteral("ports[].output.") + f.path, f.type, f.text});
    return shape;
}

QString JsonShape::ErrorText(int exitCode, const QString& error) {
    QJsonObject o;
    o.insert(QStringLiteral("exit"), exitCode);
    o.insert(QStringLiteral("error"), error);
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)) + QLatin1Char('\n');
}

namespace {
QString TypeOf(const QJsonValue& v) {
    switch (v.type()) {
    case QJsonValue::String:
        return QStringLiteral("string");
    case QJsonValue::Double:
        return std::floor(v.toDouble()) == v.toDouble() ? QStringLiteral("integer")
                                                        : QStringLiteral("number");
    case QJsonValue::Bool:
        return QStringLiteral("boolean");
    case QJsonValue::Object:
        return QStringLiteral("object");
    case QJsonValue::Array:
        return QStringLiteral("array");
    default:
        return QStringLiteral("null");
    }
}

bool TypeFits(const QString& listed, const QString& actual) {
    QString types = listed;
    if (types.endsWith(QLatin1Char('?')))
        types.chop(1);
    // "integer|string|null": any of them.
    for (const QString& type : types.split(QLatin1Char('|'))) {
        // A number may happen to be whole.
        if (type == actual ||
            (type == QLatin1String("number") && actual == QLatin1String("integer")) ||
            (type == QLatin1String("map") && actual == QLatin1String("object")))
            return true;
    }
    return false;
}

const CJsonField* Find(const CJsonShape& shape, const QString& path) {
    for (const CJsonField& f : shape) {
        if (f.path == path)
            return &f;
    }
    return nullptr;
}

QString Child(const QString& parent, const QString& key) {
    return parent.isEmpty() ? key : parent + QLatin1Char('.') + key;
}

bool Walk(const QJsonValue& value, const QString& path, const CJsonShape& shape, QString* problem) {
    if (value.isArray()) {
        const QString element = path + QStringLiteral("[]");
        const CJsonField* f = Find(shape, element);
        for (const QJsonValue& e : value.toArray()) {
            if (f && !TypeFits(f->type, TypeOf(e))) {
                *problem = QStringLiteral("%1 is %2, not %3").arg(element, TypeOf(e), f->type);
                return false;
            }
            if (!Walk(e, element, shape, problem))
                return false;
        }
        return true;
    }
    if (!value.isObject())
        return true;
    const QJsonObject object = value.toObject();
    // Every key listed directly under this one, not optional, is there.
    for (const CJsonField& f : shape) {
        const qsizetype dot = f.path.lastIndexOf(QLatin1Char('.'));
        const QString parent = dot < 0 ? QString() : f.path.left(dot);
        const QString key = dot < 0 ? f.path : f.path.mid(dot + 1);
        if (parent == path && !key.endsWith(QLatin1String("[]")) &&
            !f.type.endsWith(QLatin1Char('?')) && !object.contains(key)) {
            *problem = QStringLiteral("%1 is missing").arg(Child(path, key));
            return false;
        }
    }
    for (auto it = object.begin(); it != object.end(); ++it) {
        const QString child = Child(path, it.key());
        const CJsonField* f = Find(shape, child);
        if (!f) {
            *problem = QStringLiteral("%1 is not documented").arg(child);
            return false;
        }
        if (!TypeFits(f->type, TypeOf(it.value()))) {
            *problem = QStringLiteral("%1 is %2, not %3").arg(child, TypeOf(it.value()), f->type);
            return false;
        }
        if (!f->type.startsWith(QLatin1String("map")) && !Walk(it.value(), child, shape, problem))
            return false;
    }
    return true;
}
} // namespace

bool JsonShape::Matches(const QJsonValue& value, const CJsonShape& shape, QString* problem) {
    return Walk(value, QString(), shape, problem);
}
