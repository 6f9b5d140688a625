#pragma once
// JSON output that keeps keys in the order they were added (QJsonObject sorts them), so that a
// dumped test reads in the order of the file and the output is the same from run to run.
#include <QByteArray>
#include <QJsonValue>
#include <QString>

#include <type_traits>
#include <utility>
#include <vector>

class JNode {
public:
    JNode() = default;
    // Numbers, booleans and strings convert implicitly, as they do to QJsonValue.
    template <typename T>
    requires std::is_constructible_v<QJsonValue, T> JNode(T v) : m_scalar(QJsonValue(v)) {}
    static JNode Object() { return JNode(Kind::Object); }
    static JNode Array() { return JNode(Kind::Array); }

    JNode& Add(const QString& key, JNode value) {
        m_fields.emplace_back(key, std::move(value));
        return *this;
    }
    JNode& Append(JNode value) {
        m_items.push_back(std::move(value));
        return *this;
    }
    QByteArray ToJson(int indent = 0) const;

private:
    enum class Kind { Scalar, Object, Array };
    explicit JNode(Kind k) : m_kind(k) {}
    Kind m_kind = Kind::Scalar;
    QJsonValue m_scalar;
    std::vector<std::pair<QString, JNode>> m_fields;
    std::vector<JNode> m_items;
};
