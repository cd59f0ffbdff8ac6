#include "app/Pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kvqor::app {

namespace {

const QColor kBoardGreen(24, 110, 60);
const QColor kBoardEdge(12, 70, 36);
const QColor kCopper(205, 160, 70);
const QColor kChipBlack(38, 38, 42);
const QColor kSocketGrey(70, 70, 76);
const QColor kCaseBlue(54, 86, 140);
const QColor kCaseLight(96, 132, 190);

QImage Canvas(QSize size, const QColor& background) {
    QImage image(size, QImage::Format_RGB888);
    image.fill(background);
    return image;
}

// A dual-in-line part seen from above: body, notch, and `pinsPerSide` legs on the long sides.
void DrawDip(QPainter& p, const QRectF& body, int pinsPerSide, const QColor& bodyColour,
             const QString& label) {
    const qreal pitch = body.width() / pinsPerSide;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 190, 196));
    for (int i = 0; i < pinsPerSide; ++i) {
        const qreal x = body.left() + pitch * i + pitch * 0.3;
        p.drawRect(QRectF(x, body.top() - 3, pitch * 0.4, 3));
        p.drawRect(QRectF(x, body.bottom(), pitch * 0.4, 3));
    }
    p.setBrush(bodyColour);
    p.drawRoundedRect(body, 1.5, 1.5);
    p.setBrush(bodyColour.darker(160));
    p.drawEllipse(QPointF(body.left() + 4, body.center().y()), 2.5, 2.5);
    if (!label.isEmpty()) {
        QFont f(QStringLiteral("Sans"));
        f.setPixelSize(static_cast<int>(std::max<qreal>(6, body.height() * 0.38)));
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(225, 225, 225));
        p.drawText(body, Qt::AlignCenter, label);
    }
}

// The adapter board drawn into `area`: socket with the AT90S8535, crystal, capacitors and the
// pin row that goes into the programmer's socket.
void DrawAdapterBoard(QPainter& p, const QRectF& area) {
    p.setPen(QPen(kBoardEdge, 1.5));
    p.setBrush(kBoardGreen);
    p.drawRoundedRect(area, 4, 4);

    // Copper traces from the socket to the pin row.
    p.setPen(QPen(kCopper.darker(130), 1));
    const int traces = 10;
    for (int i = 0; i < traces; ++i) {
        const qreal x = area.left() + area.width() * (0.12 + 0.076 * i);
        p.drawLine(QPointF(x, area.top() + area.height() * 0.62),
                   QPointF(x, area.bottom() - area.height() * 0.12));
    }

    // The 40-pin socket and the chip in it.
    const QRectF socket(area.left() + area.width() * 0.07, area.top() + area.height() * 0.14,
                        area.width() * 0.86, area.height() * 0.40);
    p.setPen(Qt::NoPen);
    p.setBrush(kSocketGrey);
    p.drawRect(socket);
    DrawDip(p, socket.adjusted(4, 5, -4, -5), 20, kChipBlack, QStringLiteral("AT90S8535"));

    // Crystal and two capacitors.
    p.setBrush(QColor(200, 200, 205));
    p.setPen(QPen(QColor(120, 120, 125), 1));
    p.drawRoundedRect(QRectF(area.left() + area.width() * 0.10, area.top() + area.height() * 0.62,
                             area.width() * 0.16, area.height() * 0.10),
                      3, 3);
    p.setBrush(QColor(210, 150, 40));
    p.drawEllipse(QRectF(area.left() + area.width() * 0.74, area.top() + area.height() * 0.62,
                         area.width() * 0.06, area.width() * 0.06));
    p.drawEllipse(QRectF(area.left() + area.width() * 0.84, area.top() + area.height() * 0.62,
                         area.width() * 0.06, area.width() * 0.06));

    // The pin row along the lower edge.
    p.setPen(Qt::NoPen);
    p.setBrush(kCopper);
    const int pins = 20;
    const qreal pitch = area.width() * 0.86 / pins;
    for (int i = 0; i < pins; ++i) {
        p.drawRect(QRectF(area.left() + area.width() * 0.07 + pitch * i + pitch * 0.25,
                          area.bottom() - area.height() * 0.09, pitch * 0.5, area.height() * 0.07));
    }
}

}  // namespace

QImage AdapterBoardPicture() {
    QImage image = Canvas(kAdapterBoardSize, QColor(236, 236, 232));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawAdapterBoard(p, QRectF(6, 8, 138, 91));
    return image;
}

QImage ProgrammerWithAdapterPicture() {
    QImage image = Canvas(kProgrammerWithAdapterSize, QColor(236, 236, 232));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    // The serial cable leaving the case on the left.
    QPainterPath cable;
    cable.moveTo(0, 168);
    cable.cubicTo(18, 168, 14, 150, 34, 150);
    p.setPen(QPen(QColor(60, 60, 60), 6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(cable);

    // The case.
    const QRectF box(30, 60, 240, 130);
    QLinearGradient shade(box.topLeft(), box.bottomLeft());
    shade.setColorAt(0, kCaseLight);
    shade.setColorAt(1, kCaseBlue);
    p.setPen(QPen(kCaseBlue.darker(150), 2));
    p.setBrush(shade);
    p.drawRoundedRect(box, 10, 10);

    // Serial connector on the side.
    p.setBrush(QColor(170, 170, 175));
    p.setPen(QPen(QColor(90, 90, 95), 1));
    p.drawRoundedRect(QRectF(24, 140, 14, 22), 3, 3);

    // Name plate and the two lamps.
    QFont f(QStringLiteral("Sans"));
    f.setPixelSize(13);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(240, 240, 245));
    p.drawText(QRectF(44, 160, 120, 22), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("KV-QOR"));
    p.setPen(QPen(QColor(30, 30, 30), 1));
    p.setBrush(QColor(60, 220, 80));
    p.drawEllipse(QPointF(226, 171), 5, 5);
    p.setBrush(QColor(240, 190, 40));
    p.drawEllipse(QPointF(246, 171), 5, 5);

    // The ZIF socket on the case, with its lever.
    const QRectF zif(62, 96, 190, 48);
    p.setPen(QPen(QColor(20, 20, 20), 1));
    p.setBrush(QColor(40, 40, 44));
    p.drawRoundedRect(zif, 3, 3);
    p.setPen(QPen(QColor(200, 200, 205), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(zif.right() - 4, zif.bottom() - 6), QPointF(zif.right() + 10, zif.top() - 22));

    // The adapter standing in the socket.
    p.setPen(QPen(QColor(170, 170, 170), 2));
    for (int i = 0; i < 10; ++i) {
        const qreal x = 78 + i * 16;
        p.drawLine(QPointF(x, 92), QPointF(x, 104));
    }
    DrawAdapterBoard(p, QRectF(58, 8, 196, 88));
    return image;
}

QImage AboutPicture() {
    QImage image = Canvas(kAboutPictureSize, QColor(236, 236, 232));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A socket with a chip in it, seen from above.
    p.setPen(QPen(kBoardEdge, 1.5));
    p.setBrush(kBoardGreen);
    p.drawRoundedRect(QRectF(4, 4, 88, 88), 8, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(kSocketGrey);
    p.drawRect(QRectF(14, 22, 68, 52));
    DrawDip(p, QRectF(20, 30, 56, 36), 8, kChipBlack, QStringLiteral("QOR"));
    QFont f(QStringLiteral("Sans"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(230, 230, 210));
    p.drawText(QRectF(4, 76, 88, 14), Qt::AlignCenter, QStringLiteral("V3.01"));
    return image;
}

}  // namespace kvqor::app
