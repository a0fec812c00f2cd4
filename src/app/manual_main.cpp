// ambrin_manual: renders the user manual from Markdown to PDF at build time.
//   ambrin_manual MANUAL.md PICTURE_FOLDER OUTPUT.pdf
// Pictures named in the Markdown are taken from PICTURE_FOLDER (see ambrin_screenshots).

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>
#include <cstdio>
#include <cstdlib>

namespace {

// Pictures are grabbed at screen size; on paper they are drawn at most this wide (points).
constexpr double kMaxPictureWidth = 330.0;

// Loads the pictures the Markdown names from `folder` and gives them their size on paper.
// Returns false when one is missing.
bool placePictures(QTextDocument& document, const QString& folder) {
    bool complete = true;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) {
                continue;
            }
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            const QImage picture(folder + "/" + image.name());
            if (picture.isNull()) {
                std::fprintf(stderr, "ambrin_manual: no picture %s\n", qPrintable(image.name()));
                complete = false;
                continue;
            }
            document.addResource(QTextDocument::ImageResource, QUrl(image.name()), picture);
            const double width = std::min(kMaxPictureWidth, picture.width() * 0.75);
            image.setWidth(width);
            image.setHeight(width * picture.height() / picture.width());
            QTextCursor cursor(&document);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
    return complete;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: ambrin_manual MANUAL.md PICTURE_FOLDER OUTPUT.pdf\n");
        return 2;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);

    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "ambrin_manual: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument document;
    QFont font(QStringLiteral("NanumGothic"));
    font.setPointSizeF(10.5);
    document.setDefaultFont(font);
    document.setDefaultStyleSheet(QStringLiteral("h1 { color: #17579c; } h2 { color: #17579c; }"));
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    if (!placePictures(document, QString::fromLocal8Bit(argv[2]))) {
        return 1;
    }

    QPdfWriter writer(QString::fromLocal8Bit(argv[3]));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    writer.setTitle(document.toPlainText().section('\n', 0, 0));
    writer.setCreator(QStringLiteral("Ambrin+"));
    document.print(&writer);
    std::printf("wrote %s\n", argv[3]);
    return 0;
}
