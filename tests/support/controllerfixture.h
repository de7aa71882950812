#pragma once

#include "support/recordingtranslator.h"
#include "support/scriptedsender.h"
#include "support/testconfiguration.h"
#include "support/wirebytes.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <zrun/suspects.h>

class QDialog;

class CSuspects;
class TSuspectsForm;

// A controller with its suspects window inside a parent, talking to a scripted sender.
// Failure reports are answered by a modal script that counts them.
class ControllerFixture {
public:
    explicit ControllerFixture(bool withSender = true);
    ~ControllerFixture();
    ControllerFixture(const ControllerFixture&) = delete;
    ControllerFixture& operator=(const ControllerFixture&) = delete;

    CSuspects& controller() { return *m_controller; }
    TSuspectsForm* window() const;
    ScriptedSender sender;
    TestConfiguration configuration;
    RecordingSource translation;
    ZrunHostState hostState{1000, 1, 3, 20};
    QWidget parent;
    int reports = 0;
    std::uint32_t lastReportedCode = 0;
    // What the last modal window showed, by object name of its labels.
    QString lastDialogName;
    QString lastDialogFirstLine;
    // The answer the modal script gives (1 accepts).
    int modalAnswer = 1;
    // Called with each modal window before it is answered.
    std::function<void(QDialog*)> inspectDialog;

    // The controller and its windows go, the sender with its outstanding requests stays.
    void DestroyController() { m_controller.reset(); }
    // Creates the window (again). False when the controller gave none.
    bool CreateWindow();
    // Runs posted messages and synchronised calls until nothing is left to do.
    void Pump(int rounds = 20);
    // The requests of one payload class, taken apart.
    std::vector<wire::Request> Requests(const std::u16string& payloadName) const;
    std::vector<wire::Request> ListRequests() const { return Requests(u"class CMsgModBlaGetList *"); }
    std::vector<wire::Request> ActionRequests() const { return Requests(u"class CMsgModBlaActions *"); }

private:
    std::unique_ptr<CSuspects> m_controller;
    bool m_withSender;
};

// A handful of elements for a page, with keys in their locations so tests can tell them apart.
std::vector<wire::Element> SampleElements(int count, int firstNumber = 1, std::uint32_t flags = 0,
                                          std::uint32_t category = 100);
