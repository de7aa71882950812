#include "artsheet.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QRegularExpression>
#include <algorithm>
#include <array>

namespace artgen {
namespace {

constexpr int kSheetWidth = 1560;
constexpr int kMargin = 28;
constexpr int kGap = 18;
const QColor kPage{0x1E, 0x1E, 0x20};
const QColor kLabel{0xB8, 0xB8, 0xBE};
const QColor kHeading{0xF4, 0xF4, 0xF6};

QFont sheetFont(int pixelSize, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

void fillBackdrop(QPainter& p, const QRect& area, Backdrop backdrop) {
    switch (backdrop) {
    case Backdrop::Panel:
        p.fillRect(area, skin::kPanel);
        return;
    case Backdrop::MessagePanel:
        p.fillRect(area, skin::kMessagePanel);
        return;
    case Backdrop::SelectedRow:
        p.fillRect(area, skin::kRowSelected);
        return;
    case Backdrop::AnchorStrip:
        p.fillRect(area, skin::kAnchorStrip);
        return;
    case Backdrop::Darkened:
        p.fillRect(area, skin::kDarkened);
        return;
    case Backdrop::GridHeader:
        p.fillRect(area, QColor(0xEE, 0xEE, 0xEF));
        return;
    case Backdrop::Checkerboard:
        break;
    }
    p.save();
    p.setClipRect(area);
    for (int y = area.top(); y <= area.bottom(); y += 8) {
        for (int x = area.left(); x <= area.right(); x += 8) {
            const bool dark = ((x - area.left()) / 8 + (y - area.top()) / 8) % 2 == 0;
            p.fillRect(QRect(x, y, 8, 8), dark ? QColor(0x8A, 0x8A, 0x8E) : QColor(0xA6, 0xA6, 0xAA));
        }
    }
    p.restore();
}

// The pictures of one scale, addressed by number, drawn at their logical size by a painter that is
// already scaled: the way a control on a screen of that density would use them.
class Skin {
public:
    Skin(const RenderedArt& art, int scale) : m_art(art), m_scale(scale) {}

    int scale() const { return m_scale; }

    // Pictures without a 2x version (the bitmaps) are used at 1x on both.
    int pictureScale(std::uint32_t number) const {
        return m_scale == 2 && !m_art.byNumber.at(number)->doubled.isNull() ? 2 : 1;
    }

    const QImage& image(std::uint32_t number) const {
        const RenderedPicture* picture = m_art.byNumber.at(number);
        return pictureScale(number) == 2 ? picture->doubled : picture->normal;
    }

    QSizeF logicalSize(std::uint32_t number) const {
        return QSizeF(image(number).size()) / pictureScale(number);
    }

    void draw(QPainter& p, std::uint32_t number, QPointF at) const {
        p.drawImage(QRectF(at, logicalSize(number)), image(number));
    }

    // Corners of `margin` logical pixels stay as drawn; edges and middle stretch to the target.
    void drawNineSlice(QPainter& p, std::uint32_t number, const QRectF& target, int margin) const {
        const QImage& picture = image(number);
        const int scale = pictureScale(number);
        const int mx = std::min(margin * scale, picture.width() / 2);
        const int my = std::min(margin * scale, picture.height() / 2);
        const int sx[4] = {0, mx, picture.width() - mx, picture.width()};
        const int sy[4] = {0, my, picture.height() - my, picture.height()};
        const qreal lx = qreal(mx) / scale;
        const qreal ly = qreal(my) / scale;
        const qreal tx[4] = {target.left(), target.left() + lx, target.right() - lx, target.right()};
        const qreal ty[4] = {target.top(), target.top() + ly, target.bottom() - ly, target.bottom()};
        for (int j = 0; j < 3; ++j) {
            for (int i = 0; i < 3; ++i) {
                const QRectF to(QPointF(tx[i], ty[j]), QPointF(tx[i + 1], ty[j + 1]));
                const QRect from(QPoint(sx[i], sy[j]), QPoint(sx[i + 1] - 1, sy[j + 1] - 1));
                if (!to.isEmpty() && !from.isEmpty()) {
                    p.drawImage(to, picture, from);
                }
            }
        }
    }

    // Eight pieces in the border's order: top-left, top, top-right, right, bottom-right, bottom,
    // bottom-left, left. Corners at their size, edges stretched between them.
    void drawFrame(QPainter& p, const std::array<std::uint32_t, 8>& pieces, const QRectF& area) const {
        const QSizeF tl = logicalSize(pieces[0]);
        const QSizeF tr = logicalSize(pieces[2]);
        const QSizeF br = logicalSize(pieces[4]);
        const QSizeF bl = logicalSize(pieces[6]);
        const qreal top = logicalSize(pieces[1]).height();
        const qreal right = logicalSize(pieces[3]).width();
        const qreal bottom = logicalSize(pieces[5]).height();
        const qreal left = logicalSize(pieces[7]).width();
        const auto put = [&](std::uint32_t number, const QRectF& to) { p.drawImage(to, image(number)); };
        put(pieces[1],
            QRectF(area.left() + tl.width(), area.top(), area.width() - tl.width() - tr.width(), top));
        put(pieces[3], QRectF(area.right() - right, area.top() + tr.height(), right,
                              area.height() - tr.height() - br.height()));
        put(pieces[5], QRectF(area.left() + bl.width(), area.bottom() - bottom,
                              area.width() - bl.width() - br.width(), bottom));
        put(pieces[7],
            QRectF(area.left(), area.top() + tl.height(), left, area.height() - tl.height() - bl.height()));
        put(pieces[0], QRectF(area.topLeft(), tl));
        put(pieces[2], QRectF(QPointF(area.right() - tr.width(), area.top()), tr));
        put(pieces[4], QRectF(QPointF(area.right() - br.width(), area.bottom() - br.height()), br));
        put(pieces[6], QRectF(QPointF(area.left(), area.bottom() - bl.height()), bl));
    }

private:
    const RenderedArt& m_art;
    int m_scale;
};

const std::array<std::uint32_t, 8> kWindowFrame = {21014, 21016, 21015, 21017, 21018, 21010, 21011, 21013};
const std::array<std::uint32_t, 8> kTooltipRight = {21037, 21044, 21038, 21046, 21042, 21043, 21039, 21045};
const std::array<std::uint32_t, 8> kTooltipLeft = {21037, 21044, 21038, 21046, 21040, 21043, 21041, 21045};

void drawText(QPainter& p, const QRectF& area, const QString& text, const QFont& font, const QColor& colour,
              int flags = Qt::AlignLeft | Qt::AlignVCenter) {
    p.setFont(font);
    p.setPen(colour);
    p.drawText(area, flags, text);
}

void drawTextButton(QPainter& p, const Skin& skin, std::uint32_t face, const QRectF& area,
                    const QString& caption) {
    skin.drawNineSlice(p, face, area, 10);
    drawText(p, area, caption, sheetFont(11), Qt::white, Qt::AlignCenter);
}

// A borderless window as the windows make it: clipped to its rounded outline, with the frame
// pieces over its edges.
template <typename Content>
void drawWindow(QPainter& p, const Skin& skin, const QRectF& area, const QColor& colour, Content content) {
    QPainterPath outline;
    outline.addRoundedRect(area, 6, 6);
    p.save();
    p.setClipPath(outline);
    p.fillRect(area, colour);
    p.translate(area.topLeft());
    content(p);
    p.restore();
    skin.drawFrame(p, kWindowFrame, area);
}

void drawMessageWindow(QPainter& p, const Skin& skin, QPointF at) {
    const QRectF area(at, QSizeF(436, 138));
    drawWindow(p, skin, area, skin::kMessagePanel, [&](QPainter& w) {
        drawText(w, QRectF(8, 4, 380, 18), QStringLiteral("Ha ocurrido un error inesperado"), sheetFont(12),
                 Qt::white);
        skin.draw(w, 20029, QPointF(403, 0));
        skin.draw(w, 20015, QPointF(21, 25 + 22));
        drawText(w, QRectF(80, 25 + 22, 340, 16),
                 QStringLiteral("Ha ocurrido un error inesperado con el Código 7"), sheetFont(11), Qt::white);
        drawText(
            w, QRectF(80, 25 + 44, 340, 30),
            QStringLiteral("Si quieres ayudarnos a mejorar envíanos una sugerencia con información acerca de "
                           "este error."),
            sheetFont(11), Qt::white, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
        drawTextButton(w, skin, 20143, QRectF(170, 138 - 33 + 6, 97, 19), QStringLiteral("Cerrar"));
    });
}

void drawConfirmationWindow(QPainter& p, const Skin& skin, QPointF at) {
    const QRectF area(at, QSizeF(437, 153));
    drawWindow(p, skin, area, skin::kPanel, [&](QPainter& w) {
        drawText(w, QRectF(8, 4, 380, 18), QStringLiteral("Desbloquear elemento"), sheetFont(12), Qt::white);
        skin.draw(w, 20030, QPointF(403, 0));
        skin.draw(w, 20154, QPointF(6, 25 + 6));
        const QFont font = sheetFont(11);
        drawText(w, QRectF(98, 25 + 8, 330, 16), QStringLiteral("Vas a desbloquear un elemento peligroso."),
                 font, Qt::white);
        drawText(w, QRectF(98, 25 + 32, 330, 32),
                 QStringLiteral("Si lo desbloqueas podrá ejecutarse de nuevo en tu equipo."), font, Qt::white,
                 Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap);
        drawText(w, QRectF(98, 25 + 66, 330, 16), QStringLiteral("¿Deseas continuar?"), font, Qt::white);
        drawTextButton(w, skin, 20144, QRectF(96, 153 - 35 + 6, 130, 19),
                       QStringLiteral("Sí, deseo continuar"));
        drawTextButton(w, skin, 20143, QRectF(236, 153 - 35 + 6, 90, 19), QStringLiteral("No"));
    });
}

void drawHistoryWindow(QPainter& p, const Skin& skin, QPointF at) {
    const QRectF area(at, QSizeF(654, 262));
    drawWindow(p, skin, area, skin::kPanel, [&](QPainter& w) {
        drawText(w, QRectF(16, 4, 400, 18), QStringLiteral("Historial de acciones"), sheetFont(14),
                 Qt::white);
        skin.draw(w, 20004, QPointF(574, 0));
        skin.draw(w, 20063, QPointF(598, 0));
        skin.draw(w, 20029, QPointF(622, 0));
        drawText(w, QRectF(16, 42, 60, 20), QStringLiteral("Buscar:"), sheetFont(11), Qt::white);
        w.setPen(QColor(0x9A, 0x9A, 0x9E));
        w.setBrush(Qt::white);
        w.drawRect(QRectF(70.5, 42.5, 223, 19));
        drawText(
            w, QRectF(76, 42, 220, 20), QStringLiteral("Escribe aquí la palabra a buscar"),
            [] {
                QFont f = sheetFont(11);
                f.setItalic(true);
                return f;
            }(),
            QColor(0x80, 0x80, 0x84));

        const qreal gridTop = 80;
        const qreal columns[] = {0, 190, 380, 520, 654};
        skin.drawNineSlice(w, 20076, QRectF(0, gridTop, 654, 25), 0);
        const QString headers[] = {QStringLiteral("Acción"), QStringLiteral("Ubicación"),
                                   QStringLiteral("Fecha/Hora"), QString()};
        for (int c = 0; c < 4; ++c) {
            drawText(w, QRectF(columns[c] + 6, gridTop, columns[c + 1] - columns[c] - 12, 25), headers[c],
                     sheetFont(11, true), skin::kPanel);
            if (c > 0) {
                w.fillRect(QRectF(columns[c] - 1, gridTop + 4, 1, 17), QColor(0xC2, 0xC2, 0xC5));
                w.fillRect(QRectF(columns[c], gridTop + 4, 1, 17), Qt::white);
            }
        }
        skin.draw(w, 20075, QPointF(columns[3] - 16, gridTop + 10));

        const QString rows[][3] = {
            {QStringLiteral("Archivo sospechoso neutralizado"),
             QStringLiteral("C:\\Descargas\\setup_free.exe"), QStringLiteral("12/03/2024 10:41")},
            {QStringLiteral("Programa eliminado: Troyano"), QStringLiteral("C:\\Temp\\invoice.scr"),
             QStringLiteral("11/03/2024 18:02")},
            {QStringLiteral("Archivo sospechoso neutralizado"), QStringLiteral("C:\\Users\\ana\\crack.zip"),
             QStringLiteral("09/03/2024 08:15")},
            {QStringLiteral("Programa neutralizado: Adware"),
             QStringLiteral("C:\\Program Files\\Toolbar\\tb.dll"), QStringLiteral("02/03/2024 21:37")},
            {QStringLiteral("Archivo sospechoso neutralizado"), QStringLiteral("D:\\USB\\autorun.inf"),
             QStringLiteral("28/02/2024 12:09")},
        };
        const int selected = 1;
        for (int r = 0; r < 5; ++r) {
            const QRectF band(0, gridTop + 25 + r * 20, 654, 20);
            w.fillRect(band, r == selected ? skin::kRowSelected
                             : r % 2 == 0  ? QColor(Qt::white)
                                           : skin::kRowBand);
            for (int c = 0; c < 3; ++c) {
                drawText(w, QRectF(columns[c] + 6, band.top(), columns[c + 1] - columns[c] - 12, 20),
                         rows[r][c], sheetFont(11), skin::kGridText);
            }
            for (int c = 1; c < 4; ++c) {
                w.fillRect(QRectF(columns[c] - 1, band.top(), 1, 20), QColor(0xD4, 0xD4, 0xD6));
            }
            if (r == selected) {
                skin.draw(w, 20132, QPointF(columns[3] + 30, band.top() - 0.5));
                skin.draw(w, 20134, QPointF(columns[3] + 55, band.top() - 0.5));
                skin.draw(w, 20187, QPointF(columns[3] + 80, band.top() - 0.5));
            }
        }
        const qreal stripTop = 262 - 19;
        w.fillRect(QRectF(0, gridTop + 125, 654, stripTop - gridTop - 125), Qt::white);
        w.fillRect(QRectF(0, stripTop, 654, 19), skin::kAnchorStrip);
        skin.draw(w, 20153, QPointF(654 - 18, stripTop));
    });
}

void drawCarousel(QPainter& p, const Skin& skin, const RenderedArt& art, QPointF at) {
    const QRectF frame(at, QSizeF(520, 86));
    p.fillRect(frame.adjusted(-16, -14, 16, 14), skin::kPanel);
    p.setPen(QPen(skin::kPanelLine, 1));
    p.setBrush(skin::kPanel);
    p.drawRect(frame.adjusted(0.5, 0.5, -0.5, -0.5));
    const QRectF inside = frame.adjusted(1, 1, -1, -1);
    skin.draw(p, 20171, inside.topLeft());
    skin.draw(p, 20175, QPointF(inside.right() - 24, inside.top()));
    const QString names[] = {QStringLiteral("setup_free.exe"), QStringLiteral("invoice.scr"),
                             QStringLiteral("crack.zip"), QStringLiteral("toolbar.dll"),
                             QStringLiteral("autorun.inf")};
    for (int i = 0; i < 5; ++i) {
        const QRectF item(inside.left() + 24 + 6 + i * 92, inside.top() + 4, 90, 75);
        if (i == 1) {
            p.setPen(Qt::NoPen);
            p.setBrush(skin::kSelection);
            p.drawRoundedRect(item, 9, 9);
        }
        const QImage& icon = art.iconImages[3];
        const qreal logical = 48;
        p.drawImage(QRectF(item.left() + (90 - logical) / 2, item.top() + 4, logical, logical), icon);
        drawText(p, QRectF(item.left() + 2, item.top() + 56, 86, 14), names[i], sheetFont(10), Qt::white,
                 Qt::AlignCenter);
    }
}

void drawTooltip(QPainter& p, const Skin& skin, const QRectF& area, bool pointsRight) {
    const auto& pieces = pointsRight ? kTooltipRight : kTooltipLeft;
    // The background fills what lies inside the frame; the frame pieces carry the body to the edge.
    const qreal edge = skin.logicalSize(21044).height();
    skin.drawNineSlice(p, 21047, area.adjusted(edge, edge, -edge, -edge), 0);
    skin.drawFrame(p, pieces, area);
    const QRectF text = area.adjusted(12, 8, -12, -14);
    drawText(p, QRectF(text.left(), text.top(), text.width(), 16), QStringLiteral("invoice.scr"),
             sheetFont(11, true), Qt::white);
    drawText(p, QRectF(text.left(), text.top() + 17, text.width(), 16),
             QStringLiteral("Troyano: W32/Agent.AB"), sheetFont(11), Qt::white);
    QFont link = sheetFont(11);
    link.setUnderline(true);
    drawText(p, QRectF(text.left(), text.top() + 34, text.width(), 16), QStringLiteral("Más información"),
             link, QColor(0x00, 0xFF, 0xFF));
}

class Sheet {
public:
    Sheet(int height, const QString& previewFolder)
        : m_image(kSheetWidth, height, QImage::Format_ARGB32_Premultiplied), m_previewFolder(previewFolder) {
        m_image.fill(kPage);
        m_painter.begin(&m_image);
        m_painter.setRenderHint(QPainter::Antialiasing);
        m_painter.setRenderHint(QPainter::TextAntialiasing);
    }

    QPainter& painter() { return m_painter; }
    const QString& previewFolder() const { return m_previewFolder; }
    int y() const { return m_y; }
    void advance(int height) { m_y += height; }

    void heading(const QString& text, const QString& note = {}) {
        m_y += 14;
        drawText(m_painter, QRectF(kMargin, m_y, kSheetWidth - 2 * kMargin, 26), text, sheetFont(18, true),
                 kHeading);
        if (!note.isEmpty()) {
            drawText(m_painter, QRectF(kMargin, m_y + 26, kSheetWidth - 2 * kMargin, 18), note, sheetFont(12),
                     kLabel);
            m_y += 18;
        }
        m_y += 34;
        m_x = kMargin;
        m_rowHeight = 0;
    }

    // Places a tile of the given size on the current row, or on a new one.
    QPoint place(QSize size) {
        if (m_x + size.width() > kSheetWidth - kMargin && m_x > kMargin) {
            newRow();
        }
        const QPoint at(m_x, m_y);
        m_x += size.width() + kGap;
        m_rowHeight = std::max(m_rowHeight, size.height());
        return at;
    }

    void newRow() {
        m_y += m_rowHeight + kGap;
        m_x = kMargin;
        m_rowHeight = 0;
    }

    QImage finish() {
        m_painter.end();
        return m_image.copy(0, 0, kSheetWidth, std::min(m_image.height(), m_y + kMargin));
    }

private:
    QImage m_image;
    QString m_previewFolder;
    QPainter m_painter;
    int m_x = kMargin;
    int m_y = kMargin;
    int m_rowHeight = 0;
};

// One picture: its number and title over its 1x and 2x images on the background it sits on.
void drawTile(Sheet& sheet, const RenderedPicture& rendered) {
    const Picture& picture = *rendered.picture;
    const QSize normal = rendered.normal.size();
    const QSize doubled = rendered.doubled.isNull() ? QSize() : rendered.doubled.size();
    const int pad = 10;
    const QSize box(pad * 3 + normal.width() + doubled.width(),
                    pad * 2 + std::max(normal.height(), doubled.height()));
    const QFontMetrics titleMetrics(sheetFont(11));
    const int width = std::max(box.width(), titleMetrics.horizontalAdvance(picture.title) + 4);
    const QPoint at = sheet.place(QSize(width, box.height() + 34));
    QPainter& p = sheet.painter();
    drawText(p, QRectF(at.x(), at.y(), width, 16), QString::number(picture.number), sheetFont(13, true),
             kHeading);
    drawText(p, QRectF(at.x(), at.y() + 15, width + 60, 15), picture.title, sheetFont(11), kLabel);
    const QRect area(at + QPoint(0, 34), box);
    fillBackdrop(p, area, picture.backdrop);
    p.drawImage(area.topLeft() + QPoint(pad, pad + (box.height() - 2 * pad - normal.height()) / 2),
                rendered.normal);
    if (!doubled.isEmpty()) {
        p.drawImage(area.topLeft() + QPoint(pad * 2 + normal.width(),
                                            pad + (box.height() - 2 * pad - doubled.height()) / 2),
                    rendered.doubled);
    }
}

template <typename Draw>
void drawAtScale(Sheet& sheet, const RenderedArt& art, int scale, QSize logical, const QString& caption,
                 Draw draw) {
    const QSize size = logical * scale;
    const QPoint at = sheet.place(QSize(size.width(), size.height() + 22));
    QPainter& p = sheet.painter();
    drawText(p, QRectF(at.x(), at.y(), size.width(), 16), caption, sheetFont(11), kLabel);
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter c(&canvas);
        c.setRenderHint(QPainter::Antialiasing);
        c.setRenderHint(QPainter::TextAntialiasing);
        c.scale(scale, scale);
        draw(c, Skin(art, scale));
    }
    p.drawImage(at + QPoint(0, 22), canvas);
    if (!sheet.previewFolder().isEmpty()) {
        QString name = caption.toLower();
        name.replace(QRegularExpression(QStringLiteral("[^a-z0-9]+")), QStringLiteral("-"));
        name.remove(QRegularExpression(QStringLiteral("^-|-$")));
        canvas.save(QDir(sheet.previewFolder()).filePath(name + QStringLiteral(".png")));
    }
}

} // namespace

QImage drawArtSheet(const RenderedArt& art, const QString& previewFolder) {
    if (!previewFolder.isEmpty()) {
        QDir().mkpath(previewFolder);
    }
    Sheet sheet(9000, previewFolder);
    QPainter& p = sheet.painter();
    drawText(p, QRectF(kMargin, kMargin, 900, 34), QStringLiteral("ZRUNResources — art sheet"),
             sheetFont(26, true), kHeading);
    sheet.advance(40);
    drawText(p, QRectF(kMargin, sheet.y(), 1400, 18),
             QStringLiteral(
                 "Every picture of the library by number, at 1x and at 2x (\"PNG@2x\"), on the background it "
                 "sits on. Checkerboard: pictures stretched over an area of their own."),
             sheetFont(12), kLabel);
    sheet.advance(12);

    const auto section = [&](const QString& title, std::uint32_t low, std::uint32_t high) {
        sheet.heading(title);
        for (const RenderedPicture& rendered : art.png) {
            if (rendered.picture->number >= low && rendered.picture->number <= high) {
                drawTile(sheet, rendered);
            }
        }
        sheet.newRow();
    };
    section(QStringLiteral("Text buttons"), 20143, 20146);
    section(QStringLiteral("Carousel navigation"), 20171, 20176);
    sheet.heading(QStringLiteral("Caption buttons"));
    for (const std::uint32_t number :
         {20029u, 20030u, 20028u, 20004u, 20005u, 20003u, 20062u, 20063u, 20064u, 20065u, 20066u, 20067u}) {
        drawTile(sheet, *art.byNumber.at(number));
    }
    sheet.newRow();
    section(QStringLiteral("History row actions"), 20131, 20136);
    for (const RenderedPicture& rendered : art.png) {
        if (rendered.picture->number >= 20187 && rendered.picture->number <= 20189) {
            drawTile(sheet, rendered);
        }
    }
    sheet.newRow();
    sheet.heading(QStringLiteral("Alerts, grid and grip"));
    for (const std::uint32_t number : {20015u, 20017u, 20154u, 20076u, 20153u}) {
        drawTile(sheet, *art.byNumber.at(number));
    }
    for (const RenderedPicture& rendered : art.bitmaps) {
        drawTile(sheet, rendered);
    }
    sheet.newRow();
    section(QStringLiteral("Window frame"), 21010, 21018);
    section(QStringLiteral("Tooltip frame and background"), 21037, 21047);

    sheet.heading(QStringLiteral("Waiting animation 22002 (GIF, as Qt decodes it)"),
                  QStringLiteral("%1 frames, %2 ms each (played at 200 %), on the darkened window")
                      .arg(art.waitingFrames.size())
                      .arg(art.waitingDelayMs));
    for (std::size_t i = 0; i < art.waitingFrames.size(); ++i) {
        const QImage& frame = art.waitingFrames[i];
        const QPoint at = sheet.place(frame.size() + QSize(0, 18));
        drawText(p, QRectF(at.x(), at.y(), frame.width(), 16), QStringLiteral("frame %1").arg(i),
                 sheetFont(11), kLabel);
        p.fillRect(QRect(at + QPoint(0, 18), frame.size()), skin::kDarkened);
        p.drawImage(at + QPoint(0, 18), frame);
    }
    sheet.newRow();

    sheet.heading(QStringLiteral("Window icon 131 (ICO, as Qt decodes it)"));
    for (const QImage& icon : art.iconImages) {
        const QSize box(icon.width() * 2 + 36, icon.height() + 24);
        const QPoint at = sheet.place(box + QSize(0, 18));
        drawText(p, QRectF(at.x(), at.y(), box.width(), 16), QStringLiteral("%1 px").arg(icon.width()),
                 sheetFont(11), kLabel);
        p.fillRect(QRect(at + QPoint(0, 18), QSize(box.width() / 2, box.height())), skin::kPanel);
        p.fillRect(
            QRect(at + QPoint(box.width() / 2, 18), QSize(box.width() - box.width() / 2, box.height())),
            QColor(0xF3, 0xF3, 0xF3));
        p.drawImage(at + QPoint(12, 30), icon);
        p.drawImage(at + QPoint(box.width() / 2 + 12, 30), icon);
    }
    sheet.newRow();

    sheet.heading(QStringLiteral("In the windows"),
                  QStringLiteral(
                      "Put together as the controls use them: nine-slice faces with 10 px margins, frames of "
                      "eight pieces, at 1x and at 2x"));
    for (const int scale : {1, 2}) {
        const QString suffix = scale == 1 ? QStringLiteral(" (1x)") : QStringLiteral(" (2x)");
        drawAtScale(
            sheet, art, scale, QSize(470, 60), QStringLiteral("Text buttons 113 × 19 and 97 × 19") + suffix,
            [](QPainter& c, const Skin& skin) {
                c.fillRect(QRectF(0, 0, 470, 60), skin::kPanel);
                const QString captions[] = {QStringLiteral("No bloquearlo"), QStringLiteral("Eliminarlo"),
                                            QStringLiteral("Aceptar"), QStringLiteral("No bloquearlo")};
                const std::uint32_t faces[] = {20143, 20144, 20145, 20146};
                for (int i = 0; i < 4; ++i) {
                    drawTextButton(c, skin, faces[i], QRectF(6 + i * 116, 8, 113, 19), captions[i]);
                    drawTextButton(c, skin, faces[i], QRectF(14 + i * 116, 34, 97, 19),
                                   QStringLiteral("Cerrar"));
                }
            });
    }
    sheet.newRow();
    for (const int scale : {1, 2}) {
        drawAtScale(sheet, art, scale, QSize(560, 114),
                    scale == 1 ? QStringLiteral("Carousel (1x)") : QStringLiteral("Carousel (2x)"),
                    [&art](QPainter& c, const Skin& skin) { drawCarousel(c, skin, art, QPointF(20, 14)); });
    }
    sheet.newRow();
    const auto desktop = [](QPainter& c, QSizeF size) {
        QLinearGradient wallpaper(0, 0, size.width(), size.height());
        wallpaper.setColorAt(0, QColor(0x3E, 0x5A, 0x7E));
        wallpaper.setColorAt(1, QColor(0x9C, 0xB4, 0xC8));
        c.fillRect(QRectF(QPointF(0, 0), size), wallpaper);
    };
    for (const int scale : {1, 2}) {
        const QString suffix = scale == 1 ? QStringLiteral(" (1x)") : QStringLiteral(" (2x)");
        drawAtScale(sheet, art, scale, QSize(476, 178), QStringLiteral("Message window") + suffix,
                    [&](QPainter& c, const Skin& skin) {
                        desktop(c, QSizeF(476, 178));
                        drawMessageWindow(c, skin, QPointF(20, 20));
                    });
        drawAtScale(sheet, art, scale, QSize(477, 193), QStringLiteral("Confirmation window") + suffix,
                    [&](QPainter& c, const Skin& skin) {
                        desktop(c, QSizeF(477, 193));
                        drawConfirmationWindow(c, skin, QPointF(20, 20));
                    });
    }
    sheet.newRow();
    for (const int scale : {1, 2}) {
        drawAtScale(sheet, art, scale, QSize(694, 302),
                    scale == 1 ? QStringLiteral("History window (1x)")
                               : QStringLiteral("History window (2x)"),
                    [&](QPainter& c, const Skin& skin) {
                        desktop(c, QSizeF(694, 302));
                        drawHistoryWindow(c, skin, QPointF(20, 20));
                    });
    }
    sheet.newRow();
    for (const int scale : {1, 2}) {
        drawAtScale(sheet, art, scale, QSize(560, 110),
                    scale == 1 ? QStringLiteral("Tooltips (1x)") : QStringLiteral("Tooltips (2x)"),
                    [](QPainter& c, const Skin& skin) {
                        c.fillRect(QRectF(0, 0, 560, 110), skin::kPanel);
                        drawTooltip(c, skin, QRectF(16, 16, 240, 80), true);
                        drawTooltip(c, skin, QRectF(300, 16, 240, 80), false);
                    });
    }
    sheet.newRow();
    drawAtScale(sheet, art, 1, QSize(520, 233), QStringLiteral("Waiting layer over the suspects window (1x)"),
                [&art](QPainter& c, const Skin&) {
                    c.fillRect(QRectF(0, 0, 520, 233), skin::kDarkened);
                    const QImage& frame = art.waitingFrames.front();
                    c.drawImage(QPointF((520 - frame.width()) / 2, 40), frame);
                    drawText(c, QRectF(0, 40 + frame.height() + 4, 520, 18),
                             QStringLiteral("Desbloqueando elemento..."), sheetFont(12, true), Qt::white,
                             Qt::AlignCenter);
                });
    sheet.newRow();
    return sheet.finish();
}

} // namespace artgen
