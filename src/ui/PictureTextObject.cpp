#include "PictureTextObject.h"

#include "MetafilePlayer.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QTextDocument>
#include <QTextImageFormat>

Q_DECLARE_METATYPE(Mf::MetafilePtr)

namespace PictureText {

namespace {

// Draws metafile pictures itself and hands every other picture to the handler it replaced.
class VectorHandler : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    VectorHandler(QTextObjectInterface* fallback, QObject* parent) : QObject(parent), m_fallback(fallback) {}

    QSizeF intrinsicSize(QTextDocument* doc, int position, const QTextFormat& format) override {
        const Mf::MetafilePtr m = VectorOf(format);
        if (m) {
            const QTextImageFormat image = format.toImageFormat();
            const double w = image.width() > 0 ? image.width() : m->naturalSize.width();
            const double h = image.height() > 0 ? image.height() : m->naturalSize.height();
            return QSizeF(w, h);
        }
        return m_fallback ? m_fallback->intrinsicSize(doc, position, format) : QSizeF();
    }

    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int position,
                    const QTextFormat& format) override {
        if (const Mf::MetafilePtr m = VectorOf(format)) {
            Mf::Play(*m, *painter, rect);
            return;
        }
        if (m_fallback)
            m_fallback->drawObject(painter, rect, doc, position, format);
    }

private:
    QTextObjectInterface* m_fallback;
};

} // namespace

void SetVector(QTextImageFormat& format, const Mf::MetafilePtr& metafile) {
    format.setProperty(VectorProperty, QVariant::fromValue(metafile));
}

Mf::MetafilePtr VectorOf(const QTextFormat& format) {
    const QVariant v = format.property(VectorProperty);
    if (!v.isValid() || !v.canConvert<Mf::MetafilePtr>())
        return nullptr;
    return v.value<Mf::MetafilePtr>();
}

void Install(QTextDocument& doc) {
    // Without a GUI application nothing is drawn, and a layout would need fonts that are not there.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    QTextObjectInterface* current = layout->handlerForObject(QTextFormat::ImageObject);
    if (dynamic_cast<VectorHandler*>(current))
        return;
    layout->registerHandler(QTextFormat::ImageObject, new VectorHandler(current, layout));
}

} // namespace PictureText

#include "PictureTextObject.moc"
