#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <zrun/suspects.h>

// A configuration object that answers from its fields and records every read, in order, as
// "text 0x4009004", "number 0x4009025", "flag 0x4009908".
class TestConfiguration final : public IZrunConfiguration {
public:
    const char16_t* GetText(uint32_t id, uint32_t zero) override {
        Record(QStringLiteral("text"), id, zero);
        switch (id) {
        case 0x4009004:
            m_text = textA;
            break;
        case 0x4009007:
            m_text = textB;
            break;
        case 0x4009019:
            m_text = textC;
            break;
        default:
            m_text.clear();
        }
        return m_text.c_str();
    }
    int32_t GetNumber(uint32_t id, uint32_t zero) override {
        Record(QStringLiteral("number"), id, zero);
        return id == 0x4009025 ? number : 0;
    }
    int32_t GetFlag(uint32_t id, uint32_t zero) override {
        Record(QStringLiteral("flag"), id, zero);
        if (id == 0x4009908)
            return actionsEnabled;
        if (id == 0x4009907)
            return createWindow;
        return 0;
    }

    std::u16string textA = u"ZRUN Antimalware";
    std::u16string textB = u"Norvik Software";
    std::u16string textC = u"ZRUN";
    int32_t number = 5;
    int32_t actionsEnabled = 1;
    int32_t createWindow = 1;
    QStringList reads;
    bool nonZeroSecondArgument = false;

private:
    void Record(const QString& kind, uint32_t id, uint32_t zero) {
        reads << QStringLiteral("%1 0x%2").arg(kind).arg(id, 0, 16);
        nonZeroSecondArgument = nonZeroSecondArgument || zero != 0;
    }
    std::u16string m_text;
};
