#include "OrderedJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {
QByteArray Scalar(const QJsonValue& v) {
    QByteArray s = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    return s.mid(1, s.size() - 2);
}
} // namespace

QByteArray JNode::ToJson(int indent) const {
    const QByteArray pad(indent + 2, ' ');
    const QByteArray close(indent, ' ');
    QByteArray out;
    switch (m_kind) {
    case Kind::Scalar:
        return Scalar(m_scalar);
    case Kind::Object:
        if (m_fields.empty())
            return "{}";
        out = "{\n";
        for (size_t i = 0; i < m_fields.size(); ++i) {
            out += pad + Scalar(m_fields[i].first) + ": " + m_fields[i].second.ToJson(indent + 2);
            out += i + 1 < m_fields.size() ? ",\n" : "\n";
        }
        return out + close + "}";
    case Kind::Array: {
        if (m_items.empty())
            return "[]";
        // Arrays of scalars stay on one line.
        bool flat = true;
        for (const JNode& n : m_items)
            flat = flat && n.m_kind == Kind::Scalar;
        if (flat) {
            out = "[";
            for (size_t i = 0; i < m_items.size(); ++i)
                out += (i ? ", " : "") + m_items[i].ToJson();
            return out + "]";
        }
        out = "[\n";
        for (size_t i = 0; i < m_items.size(); ++i) {
            out += pad + m_items[i].ToJson(indent + 2);
            out += i + 1 < m_items.size() ? ",\n" : "\n";
        }
        return out + close + "]";
    }
    }
    return out;
}
