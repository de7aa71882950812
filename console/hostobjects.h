#pragma once

#include <QString>
#include <QStringList>
#include <QTranslator>
#include <string>
#include <zrun/suspects.h>

// The console's translator: Spanish texts are their own keys, so Spanish passes through
// (but for the names of the item types, which have keys of their own); other languages
// answer from their catalogue. A language's catalogue is console/translations/zrun_<language>.ts,
// compiled into the console; its one context is kCatalogueContext.
class ConsoleTranslator final : public IZrunTranslator {
public:
    static constexpr const char* kCatalogueContext = "ZRUNSuspects";

    explicit ConsoleTranslator(QString language = QStringLiteral("es"));
    // Answers from a compiled catalogue file (.qm) instead of the one the console holds.
    ConsoleTranslator(QString language, const QString& catalogueFile);

    // The catalogue the console holds for a language, among its resources.
    static QString CatalogueFile(const QString& language);

    void Reserved0() override {}
    void Reserved1() override {}
    void Reserved2() override {}
    int32_t Query(uint32_t* context, const char16_t* key, char16_t* buffer, uint32_t* capacity) override;

    const QString& Language() const { return m_language; }
    // False when the console holds no catalogue for the language.
    bool HasCatalogue() const { return !m_catalogue.isEmpty(); }
    // The console's own texts: the text for a Spanish key, or the key itself when the catalogue
    // has none (a miss, in a language other than Spanish).
    QString Text(const QString& key);
    int Queries() const { return m_queries; }
    // Keys asked for that the catalogue lacks (Spanish asks for none).
    const QStringList& Misses() const { return m_misses; }

private:
    QString m_language;
    QTranslator m_catalogue;
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
