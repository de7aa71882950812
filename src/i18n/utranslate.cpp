#include "i18n/utranslate.h"

#include "controls/htmlabel.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <cstring>
#include <vector>
#include <zrun/suspects.h>

namespace {

constexpr std::uint32_t kFirstBufferSize = 1024;
// The size the host reports back is not trusted: no text the module shows needs more, and
// a bigger buffer would only let a faulty host make the module allocate without bound.
constexpr std::uint32_t kLastBufferSize = 65536;
constexpr int kCaptionLimit = 1023;

// Controls whose text is the user's content. Class names compare exactly: a class derived
// from one of these is translated like any other control.
bool IsContentControl(const char* className) {
    static const char* const names[] = {"TEdit",     "TMemo",          "TListBox",  "TComboBox",
                                        "QLineEdit", "QPlainTextEdit", "QTextEdit", "QListWidget",
                                        "QListView", "QComboBox",      "QSpinBox",  "QTextBrowser"};
    for (const char* name : names)
        if (std::strcmp(className, name) == 0)
            return true;
    return false;
}

QString Query(const ZrunTranslationSource* source, const QString& key, std::uint32_t bufferSize,
              std::uint32_t& capacity, bool& found) {
    std::vector<char16_t> buffer(bufferSize, u'\0');
    std::uint32_t context = source->context;
    capacity = bufferSize;
    const std::u16string wideKey = key.toStdU16String();
    found = source->translator->Query(&context, wideKey.c_str(), buffer.data(), &capacity) != 0;
    if (!found)
        return {};
    // The host may forget the terminator; never read past the buffer.
    buffer.back() = u'\0';
    return QString::fromUtf16(buffer.data());
}

QString TranslateCaption(const ZrunTranslationSource* source, const QString& caption) {
    return TranslateText(source, caption.left(kCaptionLimit));
}

void TranslateMenu(const ZrunTranslationSource* source, QMenu* menu);

void TranslateAction(const ZrunTranslationSource* source, QAction* action) {
    if (action->isSeparator())
        return;
    if (!action->text().isEmpty())
        action->setText(TranslateCaption(source, action->text()));
    if (QMenu* sub = action->menu())
        TranslateMenu(source, sub);
}

void TranslateMenu(const ZrunTranslationSource* source, QMenu* menu) {
    if (!menu->title().isEmpty())
        menu->setTitle(TranslateCaption(source, menu->title()));
    const auto actions = menu->actions();
    for (QAction* action : actions)
        TranslateAction(source, action);
}

void TranslateControl(const ZrunTranslationSource* source, QWidget* control) {
    const char* className = control->metaObject()->className();
    if (std::strcmp(className, "THTMLRadioButton") == 0 || std::strcmp(className, "TAdvSmoothTabPage") == 0) {
        const QVariant caption = control->property("Caption");
        if (caption.isValid())
            control->setProperty("Caption", TranslateText(source, caption.toString()));
        return;
    }
    if (std::strcmp(className, "THTMLabel") == 0) {
        auto* label = static_cast<THTMLabel*>(control);
        if (!label->HTMLTextLines().isEmpty())
            label->SetHTMLText(TranslateText(source, label->HTMLTextWithLineEnds()));
        return;
    }
    if (IsContentControl(className))
        return;
    if (auto* menuBar = qobject_cast<QMenuBar*>(control)) {
        const auto actions = menuBar->actions();
        for (QAction* action : actions)
            TranslateAction(source, action);
        return;
    }
    // Pop-up menus keep their captions.
    if (qobject_cast<QMenu*>(control))
        return;
    // The window text of a control: its caption.
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        if (!button->text().isEmpty())
            button->setText(TranslateCaption(source, button->text()));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        if (!label->text().isEmpty())
            label->setText(TranslateCaption(source, label->text()));
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        if (!group->title().isEmpty())
            group->setTitle(TranslateCaption(source, group->title()));
    } else {
        const QVariant caption = control->property("Caption");
        if (caption.isValid() && !caption.toString().isEmpty())
            control->setProperty("Caption", TranslateCaption(source, caption.toString()));
    }
}

} // namespace

QString TranslateText(const ZrunTranslationSource* source, const QString& key) {
    QString result = key;
    if (!source || !source->translator)
        return result;
    std::uint32_t capacity = 0;
    bool found = false;
    QString text = Query(source, key, kFirstBufferSize, capacity, found);
    if (found)
        result = text;
    if (capacity > kFirstBufferSize) {
        // Compared before adding one so that a reported 0xFFFFFFFF cannot wrap to zero.
        const std::uint32_t second = capacity < kLastBufferSize ? capacity + 1 : kLastBufferSize;
        std::uint32_t again = 0;
        text = Query(source, key, second, again, found);
        if (found)
            result = text;
    }
    return result;
}

void TranslateForm(const ZrunTranslationSource* source, QWidget* window) {
    if (!window || !source || !source->translator)
        return;
    if (!window->windowTitle().isEmpty())
        window->setWindowTitle(TranslateCaption(source, window->windowTitle()));
    const auto controls = window->findChildren<QWidget*>();
    for (QWidget* control : controls)
        TranslateControl(source, control);
}

QString FormatText(const QString& format, std::initializer_list<QString> arguments) {
    QString out;
    out.reserve(format.size() + 32);
    auto next = arguments.begin();
    const qsizetype n = format.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= n) {
            out += c;
            continue;
        }
        if (format.at(i + 1) == QLatin1Char('%')) {
            out += QLatin1Char('%');
            ++i;
            continue;
        }
        // A conversion: optional "l" or "h" length, then the letter.
        qsizetype j = i + 1;
        while (j < n && (format.at(j) == QLatin1Char('l') || format.at(j) == QLatin1Char('h')))
            ++j;
        if (j < n && QStringView(u"sSdiu").contains(format.at(j))) {
            if (next != arguments.end())
                out += *next++;
            i = j;
            continue;
        }
        out += c;
    }
    return out;
}
