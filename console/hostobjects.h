#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <string>
#include <zrun/suspects.h>

// The console's translator: Spanish texts are their own keys, so Spanish passes through
// (but for the names of the item types, which have keys of their own); other languages
// answer from their catalogue.
class ConsoleTranslator final : public IZrunTranslator {
public:
    explicit ConsoleTranslator(QString language = QStringLiteral("es"));

    void Reserved0() override {}
    void Reserved1() override {}
    void Reserved2() override {}
    int32_t Query(uint32_t* context, const char16_t* key, char16_t* buffer, uint32_t* capacity) override;

    const QString& Language() const { return m_language; }
    // The console's own texts: the text for a Spanish key, or the key itself when the catalogue
    // has none (a miss, in a language other than Spanish).
    QString Text(const QString& key);
    void SetCatalogue(QHash<QString, QString> catalogue) { m_catalogue = std::move(catalogue); }
    int Queries() const { return m_queries; }
    // Keys asked for that the catalogue lacks (Spanish asks for none).
    const QStringList& Misses() const { return m_misses; }

private:
    QString m_language;
    QHash<QString, QString> m_catalogue;
    int m_queries = 0;
    QStringList m_misses;
};

// The six configuration values the module reads.
class ConsoleConfiguration final : public IZrunConfiguration {
public:
    const char16_t* GetText(uint32_t id, uint32_t zero) override;
    int32_t GetNumber(uint32_t id, uint32_t zero) override;
    int32_t GetFlag(uint32_t id, uint32_t zero) override;

    QString productName = QStringLiteral("ZRUN Antimalware"); // 0x4009004
    QString labName = QStringLiteral("Norvik Software");      // 0x4009007
    int32_t number = 1;                                       // 0x4009025
    QString shortName = QStringLiteral("ZRUN");               // 0x4009019
    bool actionsEnabled = true;                               // 0x4009908
    bool createWindow = true;                                 // 0x4009907

private:
    std::u16string m_returned; // the text handed out last; the module copies it at once
};
