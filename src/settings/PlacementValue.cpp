#include "PlacementValue.h"

std::optional<PlacementValue> ParsePlacementValue(const QString& component, const QString& property,
                                                  const QString& text) {
    using Kind = PlacementValue::Kind;
    constexpr int Limit = PlacementValue::Limit;
    bool ok = false;
    if (component == QStringLiteral("PanelQuestion")) {
        const int h = text.toInt(&ok);
        if (property != QStringLiteral("Height") || !ok || h < 0 || h > Limit)
            return std::nullopt;
        return PlacementValue{Kind::PanelHeight, h};
    }
    if (!component.isEmpty())
        return std::nullopt;
    if (property == QStringLiteral("Position")) {
        if (!text.startsWith(QStringLiteral("po")))
            return std::nullopt;
        return PlacementValue{Kind::Position, 0};
    }
    if (property == QStringLiteral("WindowState")) {
        if (text == QStringLiteral("wsMaximized"))
            return PlacementValue{Kind::Maximised, 0};
        if (text == QStringLiteral("wsNormal") || text == QStringLiteral("wsMinimized"))
            return PlacementValue{Kind::Restored, 0};
        return std::nullopt;
    }
    const int n = text.toInt(&ok);
    if (!ok)
        return std::nullopt;
    if (property == QStringLiteral("Left") || property == QStringLiteral("Top")) {
        if (n < -Limit || n > Limit)
            return std::nullopt;
        return PlacementValue{property == QStringLiteral("Left") ? Kind::Left : Kind::Top, n};
    }
    if (property == QStringLiteral("Width") || property == QStringLiteral("Height")) {
        if (n <= 0 || n > Limit)
            return std::nullopt;
        return PlacementValue{property == QStringLiteral("Width") ? Kind::Width : Kind::Height, n};
    }
    return std::nullopt;
}
