// Renders the tool's SVG icon to the PNG sizes of the hicolor theme, at build time.
// Usage: kz-render-icon ICON.svg OUTDIR SIZE... ; writes OUTDIR/SIZExSIZE/apps/NAME.png

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ICON.svg OUTDIR SIZE...\n", argv[0]);
        return 2;
    }
    const QString svg = QString::fromLocal8Bit(argv[1]);
    const QString outDir = QString::fromLocal8Bit(argv[2]);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: not a readable SVG\n", argv[1]);
        return 1;
    }
    const QString name = QFileInfo(svg).completeBaseName() + QStringLiteral(".png");
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0) {
            std::fprintf(stderr, "%s: not a size\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter);
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(outDir).arg(size);
        if (!QDir().mkpath(dir) || !image.save(QDir(dir).filePath(name))) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(QDir(dir).filePath(name)));
            return 1;
        }
    }
    return 0;
}
