#include "widgets/pngpicture.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A 3 x 2 PNG, row by row: opaque red, green at alpha 128, clear blue;
// opaque white, (10, 20, 30) at alpha 200, opaque black.
const char SmallPng[] = "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52"
                        "\x00\x00\x00\x03\x00\x00\x00\x02\x08\x06\x00\x00\x00\x9d\x74\x66"
                        "\x1a\x00\x00\x00\x1c\x49\x44\x41\x54\x78\x9c\x63\xf8\xcf\xc0\xf0"
                        "\x1f\x08\x1b\x40\x14\xc3\x7f\x20\xe0\x12\x91\x3b\xc1\x00\x64\x02"
                        "\x00\x8b\x15\x0a\x7c\x4f\x4d\x8f\xd9\x00\x00\x00\x00\x49\x45\x4e"
                        "\x44\xae\x42\x60\x82";
} // namespace

class tst_PngPicture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsPicture_data();
    void readsPicture();
    void loadsNoImagePlugin();
    void samePixelsAsQtsOwnGuess();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_folder;
};

QString tst_PngPicture::write(const QString &name, const QByteArray &bytes)
{
    QFile file(m_folder.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return file.fileName();
}

void tst_PngPicture::initTestCase()
{
    QVERIFY(m_folder.isValid());
}

void tst_PngPicture::readsPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");

    QTest::newRow("colours and transparency")
        << QByteArray(SmallPng, sizeof SmallPng - 1) << QSize(3, 2);
    QTest::newRow("not a picture") << QByteArray("GIF89a, or rather not") << QSize();
    QTest::newRow("cut short") << QByteArray(SmallPng, 40) << QSize();
    QTest::newRow("empty file") << QByteArray() << QSize();
}

void tst_PngPicture::readsPicture()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);

    const QString path = write(QStringLiteral("picture.png"), bytes);
    QVERIFY(!path.isEmpty());
    const QPixmap picture = loadPngPicture(path);
    QCOMPARE(picture.isNull(), !size.isValid());
    if (picture.isNull())
        return;
    QCOMPARE(picture.size(), size);
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(image.pixel(0, 0), qRgba(255, 0, 0, 255));
    QCOMPARE(qAlpha(image.pixel(1, 0)), 128);
    QCOMPARE(qAlpha(image.pixel(2, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(1, 1)), 200);
    QCOMPARE(image.pixel(2, 1), qRgba(0, 0, 0, 255));
}

// The reason the function exists: reading a PNG loads no image format plugin.
void tst_PngPicture::loadsNoImagePlugin()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        QSKIP("The loaded libraries can only be listed on Linux");
    QVERIFY(!loadPngPicture(
                 write(QStringLiteral("again.png"), QByteArray(SmallPng, sizeof SmallPng - 1)))
                 .isNull());
    QVERIFY(loadPngPicture(m_folder.filePath(QStringLiteral("missing.png"))).isNull());
    QVERIFY(!maps.readAll().contains("/imageformats/"));
}

// Run last: Qt's own guess loads the plugins.
void tst_PngPicture::samePixelsAsQtsOwnGuess()
{
    const QString path
        = write(QStringLiteral("guess.png"), QByteArray(SmallPng, sizeof SmallPng - 1));
    QCOMPARE(loadPngPicture(path).toImage(), QPixmap(path).toImage());
}

QTEST_MAIN(tst_PngPicture)
#include "tst_pngpicture.moc"
