#include "support/controllerfixture.h"

#include "forms/modalscript.h"
#include "forms/suspectsform/suspectsform.h"
#include "module/suspects.h"
#include "platform/sync.h"

#include <QCoreApplication>
#include <QDialog>
#include <QTest>

ControllerFixture::ControllerFixture(bool withSender)
    : m_controller(std::make_unique<CSuspects>(42)), m_withSender(withSender) {
    parent.resize(520, 233);
    SetModalScript([this](QDialog* dialog) {
        lastDialogName = dialog->objectName();
        if (auto* line = dialog->findChild<QWidget*>(QStringLiteral("LMessage1")))
            lastDialogFirstLine = line->property("HTMLText").toString();
        if (inspectDialog)
            inspectDialog(dialog);
        // The message window reports a failure; the confirmation asks.
        if (lastDialogName == QLatin1String("FormMessage")) {
            ++reports;
            lastReportedCode = m_controller ? m_controller->StatusCode() : 0;
        }
        return modalAnswer;
    });
    m_controller->FirstUseSetup();
    CreateWindow();
}

ControllerFixture::~ControllerFixture() {
    m_controller.reset();
    SetModalScript({});
    // Answer what is still outstanding now, while the handlers' windows are gone.
    sender.WaitForThreads();
}

TSuspectsForm* ControllerFixture::window() const {
    return m_controller->SuspectsWindow();
}

bool ControllerFixture::CreateWindow() {
    return m_controller->CreateSuspectsForm(&parent, &translation.source, m_withSender ? &sender : nullptr,
                                            &configuration, &hostState, nullptr) != nullptr;
}

void ControllerFixture::Pump(int rounds) {
    for (int i = 0; i < rounds; ++i) {
        sender.WaitForThreads();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        platform::CheckSynchronize(std::chrono::milliseconds(2));
        QCoreApplication::sendPostedEvents();
    }
}

std::vector<wire::Request> ControllerFixture::Requests(const std::u16string& payloadName) const {
    std::vector<wire::Request> out;
    for (const auto& sent : sender.OfKind(payloadName))
        out.push_back(sent.request);
    return out;
}

std::vector<wire::Element> SampleElements(int count, int firstNumber, std::uint32_t flags,
                                          std::uint32_t category) {
    std::vector<wire::Element> elements;
    for (int i = 0; i < count; ++i) {
        const int n = firstNumber + i;
        wire::Element e;
        e.id = wire::IdOf(static_cast<std::uint8_t>(n));
        e.infoId = 1000 + static_cast<std::uint32_t>(n);
        e.detectionId = 500 + static_cast<std::uint32_t>(n);
        e.actionTime = 133'000'000'000'000'000ULL + static_cast<std::uint64_t>(n) * 10'000'000ULL;
        e.category = category;
        e.itemType = 201 + static_cast<std::uint32_t>(n % 4);
        const std::u16string number = QString::number(n).toStdU16String();
        e.location = u"C:\\Users\\ana\\Descargas\\item" + number + u".exe";
        e.flags = flags;
        elements.push_back(e);
    }
    return elements;
}
