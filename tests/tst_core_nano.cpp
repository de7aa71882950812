// The byte format of the service messages, checked against bytes written out by hand.
#include "comm/nano/codec.h"
#include "comm/nano/messages.h"
#include "comm/nano/nanomessagebase.h"

#include <QByteArray>
#include <QString>
#include <QTest>
#include <array>
#include <cstring>
#include <functional>
#include <malloc.h>

namespace {

// Wide texts of the class names: count (units + 1), UTF-16LE units, terminating 0.
const char* const kEnvelopeName = // "class CNanoMessageBase *"
    "19 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 43 00 4E 00 61 00 6E 00 6F 00 4D 00 65 00 73 00"
    "73 00 61 00 67 00 65 00 42 00 61 00 73 00 65 00 20 00 2A 00 00 00";
const char* const kGetListName = // "class CMsgModBlaGetList *"
    "1A 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 43 00 4D 00 73 00 67 00 4D 00 6F 00 64 00 42 00"
    "6C 00 61 00 47 00 65 00 74 00 4C 00 69 00 73 00 74 00 20 00 2A 00 00 00";
const char* const kRspGetListName = // "class CRspModBlaGetList *"
    "1A 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 43 00 52 00 73 00 70 00 4D 00 6F 00 64 00 42 00"
    "6C 00 61 00 47 00 65 00 74 00 4C 00 69 00 73 00 74 00 20 00 2A 00 00 00";
const char* const kActionsName = // "class CMsgModBlaActions *"
    "1A 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 43 00 4D 00 73 00 67 00 4D 00 6F 00 64 00 42 00"
    "6C 00 61 00 41 00 63 00 74 00 69 00 6F 00 6E 00 73 00 20 00 2A 00 00 00";
const char* const kGetInfoName = // "class CMsgModAvIemGetInfo *"
    "1C 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 43 00 4D 00 73 00 67 00 4D 00 6F 00 64 00 41 00"
    "76 00 49 00 65 00 6D 00 47 00 65 00 74 00 49 00 6E 00 66 00 6F 00 20 00 2A 00 00 00";
const char* const kRspGetInfoName = // "class RspModAvIemGetInfo *"
    "1B 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 52 00 73 00 70 00 4D 00 6F 00 64 00 41 00 76 00"
    "49 00 65 00 6D 00 47 00 65 00 74 00 49 00 6E 00 66 00 6F 00 20 00 2A 00 00 00";
const char* const kSimpleIntName = // "class CSimpleSerializable<int> *"
    "21 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 43 00 53 00 69 00 6D 00 70 00 6C 00 65 00 53 00"
    "65 00 72 00 69 00 61 00 6C 00 69 00 7A 00 61 00 62 00 6C 00 65 00 3C 00 69 00 6E 00 74 00 3E 00"
    "20 00 2A 00 00 00";
const char* const kSimpleULongName = // "class CSimpleSerializable<unsigned long> *"
    "2B 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 43 00 53 00 69 00 6D 00 70 00 6C 00 65 00 53 00"
    "65 00 72 00 69 00 61 00 6C 00 69 00 7A 00 61 00 62 00 6C 00 65 00 3C 00 75 00 6E 00 73 00 69 00"
    "67 00 6E 00 65 00 64 00 20 00 6C 00 6F 00 6E 00 67 00 3E 00 20 00 2A 00 00 00";
const char* const kSimpleWStringName = // "class CSimpleSerializable<wstring> *"
    "25 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 43 00 53 00 69 00 6D 00 70 00 6C 00 65 00 53 00"
    "65 00 72 00 69 00 61 00 6C 00 69 00 7A 00 61 00 62 00 6C 00 65 00 3C 00 77 00 73 00 74 00 72 00"
    "69 00 6E 00 67 00 3E 00 20 00 2A 00 00 00";

// A list page of two elements, the first one in full, wire order of the list element layout.
const char* const kTwoElementsBody =
    "02 00 00 00"
    // element 1
    "11 11 11 11"                                                       // reserved A
    "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"                   // identifier
    "2A 00 00 00"                                                       // information id 42
    "F4 01 00 00"                                                       // detection id 500
    "34 12 D9 01"                                                       // action time, high half
    "BC 9A 78 56"                                                       // action time, low half
    "14 00 00 00"                                                       // category 20
    "C9 00 00 00"                                                       // item type 201
    "22 22 22 22"                                                       // reserved B
    "09 00 00 00 43 00 3A 00 5C 00 61 00 2E 00 65 00 78 00 65 00 00 00" // C:\a.exe
    "01 00 00 00 00 00"                                                 // no container
    "80 00 00 00"                                                       // flags: undone
    "33 33 33 33"                                                       // reserved C
    // element 2
    "00 00 00 00"
    "F0 F1 F2 F3 F4 F5 F6 F7 F8 F9 FA FB FC FD FE FF"
    "07 00 00 00"
    "01 EF CD AB" // detection id 0xABCDEF01
    "00 00 00 00"
    "01 00 00 00"
    "64 00 00 00" // category 100
    "CB 00 00 00" // item type 203
    "00 00 00 00"
    "02 00 00 00 62 00 00 00"                         // b
    "06 00 00 00 7A 00 2E 00 7A 00 69 00 70 00 00 00" // z.zip
    "04 00 00 00"                                     // flags: deleted
    "00 00 00 00"
    // next position 2, list handle 0x77
    "02 00 00 00 77 00 00 00";

// Two detection names: 500 "Trojan.X" and 7 with no name.
const char* const kTwoResultsBody = "02 00 00 00"
                                    "F4 01 00 00 01 00 00 00 02 00 00 00"
                                    "09 00 00 00 54 00 72 00 6F 00 6A 00 61 00 6E 00 2E 00 58 00 00 00"
                                    "07 00 00 00 00 00 00 00 00 00 00 00"
                                    "01 00 00 00 00 00";

QByteArray Hex(const char* hex) {
    return QByteArray::fromHex(hex);
}
QByteArray Join(std::initializer_list<const char*> parts) {
    QByteArray bytes;
    for (const char* part : parts)
        bytes += QByteArray::fromHex(part);
    return bytes;
}
QByteArray FromVector(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}
QByteArray ToHex(const QByteArray& bytes) {
    return bytes.toHex(' ').toUpper();
}
QByteArray ToHex(const std::vector<std::uint8_t>& bytes) {
    return ToHex(FromVector(bytes));
}
QString Q(std::u16string_view text) {
    return QString::fromUtf16(text.data(), qsizetype(text.size()));
}
const std::uint8_t* Data(const QByteArray& bytes) {
    return reinterpret_cast<const std::uint8_t*>(bytes.constData());
}
std::unique_ptr<ReplyEnvelope> Decode(const QByteArray& bytes) {
    return DecodeEnvelope(Data(bytes), static_cast<std::size_t>(bytes.size()));
}
QByteArray U32(std::uint32_t v) {
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
    return QByteArray(b, 4);
}

// Start of a reply envelope from the list module with result 0, up to its payload length.
const char* const kListReplyHead = "00 C0 00 04 00 00 00 00 00 00 00 00";

QByteArray TwoElementReply() {
    return Join({kEnvelopeName, kListReplyHead, "E8 00 00 00", kRspGetListName, kTwoElementsBody});
}
QByteArray TwoResultsReply() {
    return Join({kEnvelopeName, "00 20 00 04 00 00 00 00 00 00 00 00", "72 00 00 00", kRspGetInfoName,
                 kTwoResultsBody});
}

ST_BLELEMENT::Identifier Sequence(std::uint8_t first) {
    ST_BLELEMENT::Identifier id{};
    for (std::size_t i = 0; i < id.size(); ++i)
        id[i] = static_cast<std::uint8_t>(first + i);
    return id;
}

using MakeMessage = std::function<NanoPtr<INanoSerializable>()>;

template <class T> MakeMessage Make(std::function<void(T&)> fill) {
    return [fill] {
        NanoPtr<T> message(new T());
        fill(*message);
        return NanoPtr<INanoSerializable>(std::move(message));
    };
}

CMsgModBlaActions ActionWithElement(std::uint32_t code) {
    CMsgModBlaActions m;
    m.processId = 0x1234;
    m.actionCode = code;
    m.element.identifier = Sequence(0);
    m.element.informationId = 42;
    m.element.detectionId = 500;
    m.element.category = 20;
    m.element.itemType = 201;
    m.element.reservedA = 0x11111111;
    m.element.reservedB = 0x22222222;
    m.element.flags = 0x80;
    m.element.reservedC = 0x33333333;
    return m;
}

// Capacity of a message's list, to tell that a refused count reserved nothing.
std::size_t ListCapacity(INanoSerializable* message) {
    if (auto* list = dynamic_cast<CRspModBlaGetList*>(message))
        return list->elements.capacity();
    if (auto* info = dynamic_cast<RspModAvIemGetInfo*>(message))
        return info->results.capacity();
    if (auto* request = dynamic_cast<CMsgModAvIemGetInfo*>(message))
        return request->identifiers.capacity();
    return 0;
}

class Counted final : public INanoInterface {
public:
    explicit Counted(bool* destroyed) : m_destroyed(destroyed) {}
    ~Counted() override { *m_destroyed = true; }

private:
    bool* m_destroyed;
};

} // namespace

Q_DECLARE_METATYPE(MakeMessage)

namespace {

// An archive that lends no bytes in place, so that every value goes through ReadBytes.
class ArchiveWithoutWindow final : public INanoArchive {
public:
    explicit ArchiveWithoutWindow(const QByteArray& bytes) : m_bytes(bytes) {}
    bool BeginWrite() override { return false; }
    bool BeginRead() override {
        m_cursor = 0;
        ClearFailed();
        return true;
    }
    void EndAccess() override {}
    std::size_t WriteBytes(const void*, std::size_t, std::size_t) override {
        MarkFailed();
        return 0;
    }
    std::size_t ReadBytes(void* data, std::size_t elementSize, std::size_t count) override {
        const std::size_t size = elementSize * count;
        if (size > Remaining() || (size && !data)) {
            MarkFailed();
            return 0;
        }
        if (size)
            std::memcpy(data, m_bytes.constData() + m_cursor, size);
        m_cursor += static_cast<qsizetype>(size);
        return size;
    }
    std::size_t Remaining() const override { return static_cast<std::size_t>(m_bytes.size() - m_cursor); }

private:
    QByteArray m_bytes;
    qsizetype m_cursor = 0;
};

// A wide text of count units, unit i being a letter, or 0 at the given places.
QByteArray Units(int count, const QList<int>& zeros) {
    QByteArray bytes = U32(static_cast<std::uint32_t>(count));
    for (int i = 0; i < count; ++i) {
        bytes += zeros.contains(i) ? '\0' : char('a' + i % 26);
        bytes += '\0';
    }
    return bytes;
}

QString Letters(int count) {
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar(u'a' + i % 26);
    return text;
}

// A list page of one element whose location is the given wide text.
QByteArray OneElementReply(const QByteArray& location) {
    const QByteArray element = Hex("00 00 00 00") + QByteArray(16, '\0') + QByteArray(28, '\0') + location +
                               Hex("01 00 00 00 00 00") + QByteArray(8, '\0');
    const QByteArray payload =
        Hex(kRspGetListName) + Hex("01 00 00 00") + element + Hex("FF FF FF FF 00 00 00 00");
    return Hex(kEnvelopeName) + Hex(kListReplyHead) + U32(static_cast<std::uint32_t>(payload.size())) +
           payload;
}

} // namespace

class TestCoreNano : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void referenceCounting();
    void textEncoding_data();
    void textEncoding();
    void textDecoding_data();
    void textDecoding();
    void statusWordAndFailedFlag();
    void messageEncoding_data();
    void messageEncoding();
    void messageDecoding_data();
    void messageDecoding();
    void listRequestEnvelope();
    void envelopeWithoutPayload();
    void envelopeHeaderWord_data();
    void envelopeHeaderWord();
    void listReplyFieldByField();
    void listReplyCutsLongTexts();
    void detectionInfoReply();
    void envelopeRejected_data();
    void envelopeRejected();
    void unknownPayloadClass();
    void truncatedReplies_data();
    void truncatedReplies();
    void truncatedPayloads_data();
    void truncatedPayloads();
    void textCountZeroEndsPayload();
    void countsBeyondBytes_data();
    void countsBeyondBytes();
    void hugeCountInSmallReply();
    void objectFraming();
    void getBuffer();
    void defaultFactory_data();
    void defaultFactory();
    void archiveFactoryIsUsedAndKept();
    void classNameLimit();
    void textDecodingWithoutWindow_data();
    void textDecodingWithoutWindow();
    void longTextDecoding_data();
    void longTextDecoding();
    void listReplyTextAtLimit_data();
    void listReplyTextAtLimit();
    void payloadEndsAtItsLength();
    void archiveCursorAcrossCopiesAndWrites();
    void actionLocationKeptWhenUnreadable();
    void envelopeObjectHoldsItsPayload();
    void archiveView();
    void textInPlace_data();
    void textInPlace();
    void listPageSharesItsTexts();
    void listPageWithoutWindow();
    void shortTextsDoNotKeepTheirPage();
};

void TestCoreNano::referenceCounting() {
    bool destroyed = false;
    auto* object = new Counted(&destroyed);
    QCOMPARE(object->AddRef(), 2u);
    {
        NanoPtr<Counted> first(object); // adopts one reference
        NanoPtr<Counted> second = first;
        QCOMPARE(object->AddRef(), 4u);
        QCOMPARE(object->Release(), 3u);
        NanoPtr<Counted> moved = std::move(second);
        QVERIFY(!second);
    }
    QVERIFY(!destroyed);
    QCOMPARE(object->Release(), 0u);
    QVERIFY(destroyed);

    // A copied message is a new object with a single reference of its own.
    NanoPtr<CMsgModBlaGetList> original(new CMsgModBlaGetList());
    original->AddRef();
    NanoPtr<CMsgModBlaGetList> copy(new CMsgModBlaGetList(*original));
    QCOMPARE(copy->AddRef(), 2u);
    copy->Release();
    original->Release();
}

void TestCoreNano::textEncoding_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty text") << QString() << Hex("01 00 00 00 00 00");
    QTest::newRow("ab") << QStringLiteral("ab") << Hex("03 00 00 00 61 00 62 00 00 00");
    QTest::newRow("latin and euro units") << QStringLiteral(u"ñ€") << Hex("03 00 00 00 F1 00 AC 20 00 00");
    QTest::newRow("surrogate pair is two units")
        << QStringLiteral(u"😀") << Hex("03 00 00 00 3D D8 00 DE 00 00");
}

void TestCoreNano::textEncoding() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    CNanoArchiveStream archive;
    archive.BeginWrite();
    QVERIFY(nano::WriteText(archive, text.toStdU16String()));
    QCOMPARE(archive.Status(), kNanoOk);
    QCOMPARE(ToHex(archive.Bytes()), ToHex(bytes));
}

void TestCoreNano::textDecoding_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("remaining");
    QTest::newRow("ab") << Hex("03 00 00 00 61 00 62 00 00 00") << true << QStringLiteral("ab") << 0;
    QTest::newRow("up to the first zero unit")
        << Hex("04 00 00 00 61 00 00 00 62 00 00 00 FF") << true << QStringLiteral("a") << 1;
    QTest::newRow("no zero unit keeps every unit")
        << Hex("02 00 00 00 61 00 62 00") << true << QStringLiteral("ab") << 0;
    QTest::newRow("count zero cannot be read")
        << Hex("00 00 00 00 61 00 00 00") << false << QStringLiteral("keep") << 4;
    QTest::newRow("count one past the units")
        << Hex("04 00 00 00 61 00 62 00 00 00") << false << QStringLiteral("keep") << 6;
    QTest::newRow("count 0x7FFFFFFF")
        << Hex("FF FF FF 7F 61 00 00 00") << false << QStringLiteral("keep") << 4;
    QTest::newRow("count cut short") << Hex("03 00") << false << QStringLiteral("keep") << 2;
}

void TestCoreNano::textDecoding() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, read);
    QFETCH(QString, text);
    QFETCH(int, remaining);
    CNanoArchiveStream archive(Data(bytes), static_cast<std::size_t>(bytes.size()));
    archive.BeginRead();
    std::u16string target = u"keep";
    QCOMPARE(nano::ReadText(archive, target), read);
    QCOMPARE(Q(target), text);
    QCOMPARE(archive.Status(), read ? kNanoOk : kNanoFailed);
    QCOMPARE(archive.Failed(), !read);
    QCOMPARE(archive.Remaining(), std::size_t(remaining));
}

void TestCoreNano::statusWordAndFailedFlag() {
    const QByteArray bytes = Hex("01 02 03 04 05 06");
    CNanoArchiveStream archive(Data(bytes), static_cast<std::size_t>(bytes.size()));
    archive.BeginRead();
    std::uint64_t wide = 0x55;
    QVERIFY(!nano::ReadU64(archive, wide));
    QCOMPARE(wide, std::uint64_t(0x55));
    QCOMPARE(archive.Status(), kNanoFailed);
    QVERIFY(archive.Failed());
    QCOMPARE(archive.Remaining(), std::size_t(6)); // a failed read takes nothing

    // The status word tells the last operation only; the failed flag stays.
    std::uint32_t value = 0;
    QVERIFY(nano::ReadU32(archive, value));
    QCOMPARE(value, 0x04030201u);
    QCOMPARE(archive.Status(), kNanoOk);
    QVERIFY(archive.Failed());
    std::uint8_t past[4] = {};
    QCOMPARE(archive.ReadBytes(past, 1, 4), std::size_t(0));
    QCOMPARE(archive.ReadBytes(past, 2, 1), std::size_t(2));
    QCOMPARE(past[0], std::uint8_t(0x05));

    archive.BeginRead();
    QVERIFY(!archive.Failed());
    QCOMPARE(archive.Remaining(), std::size_t(6));
}

void TestCoreNano::messageEncoding_data() {
    QTest::addColumn<MakeMessage>("make");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("list request pid 0x1234 kind 1 handle 0 position -1")
        << Make<CMsgModBlaGetList>([](CMsgModBlaGetList& m) {
               m.processId = 0x1234;
               m.kind = 1;
               m.listHandle = 0;
               m.position = -1;
           })
        << Join({kGetListName, "34 12 00 00 01 00 00 00 00 00 00 00 FF FF FF FF"});
    QTest::newRow("list page with no element") << Make<CRspModBlaGetList>([](CRspModBlaGetList& m) {
        m.nextPosition = -1;
        m.listHandle = 5;
    }) << Join({kRspGetListName, "00 00 00 00 FF FF FF FF 05 00 00 00"});
    QTest::newRow("list page with two elements") << Make<CRspModBlaGetList>([](CRspModBlaGetList& m) {
        ST_BLELEMENT a;
        a.reservedA = 0x11111111;
        a.identifier = Sequence(0x00);
        a.informationId = 42;
        a.detectionId = 500;
        a.actionTime = 0x01D9123456789ABCull;
        a.category = 20;
        a.itemType = 201;
        a.reservedB = 0x22222222;
        a.location = u"C:\\a.exe";
        a.flags = 0x80;
        ST_BLELEMENT b;
        b.identifier = Sequence(0xF0);
        b.informationId = 7;
        b.detectionId = 0xABCDEF01;
        b.actionTime = 1;
        b.category = 100;
        b.itemType = 203;
        b.location = u"b";
        b.containerLocation = u"z.zip";
        b.flags = 0x04;
        m.elements = {a, b};
        m.nextPosition = 2;
        m.listHandle = 0x77;
    })
                                                 << Join({kRspGetListName, kTwoElementsBody})
                                                        .replace(Hex("80 00 00 00 33 33 33 33"), // reserved C
                                                                 Hex("80 00 00 00 00 00 00 00"));
    QTest::newRow("unblock carries pid, code and identifier only")
        << Make<CMsgModBlaActions>([](CMsgModBlaActions& m) {
               m = ActionWithElement(kActionUnblock);
               m.element.location = u"C:\\not\\sent";
           })
        << Join({kActionsName, "34 12 00 00 06 00 00 00 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"});
    QTest::newRow("action code 2 carries the action element, locations in ordinary form")
        << Make<CMsgModBlaActions>([](CMsgModBlaActions& m) {
               m = ActionWithElement(2);
               m.element.location = u"\\??\\C:\\x";
           })
        << Join({kActionsName, "34 12 00 00 02 00 00 00 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F",
                 "2A 00 00 00 F4 01 00 00 14 00 00 00 C9 00 00 00 22 22 22 22 11 11 11 11",
                 "05 00 00 00 43 00 3A 00 5C 00 78 00 00 00", // C:\x
                 "01 00 00 00 00 00", "80 00 00 00 33 33 33 33"});
    QTest::newRow("action code 3: device form without file and share form")
        << Make<CMsgModBlaActions>([](CMsgModBlaActions& m) {
               m = ActionWithElement(3);
               m.element.location = u"\\\\?x";
               m.element.containerLocation = u"\\??\\UNC\\s\\f";
           })
        << Join({kActionsName, "34 12 00 00 03 00 00 00 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F",
                 "2A 00 00 00 F4 01 00 00 14 00 00 00 C9 00 00 00 22 22 22 22 11 11 11 11",
                 "01 00 00 00 00 00",                               // nothing: the empty text
                 "06 00 00 00 5C 00 5C 00 73 00 5C 00 66 00 00 00", // \\s\f
                 "80 00 00 00 33 33 33 33"});
    QTest::newRow("detection info request with two identifiers")
        << Make<CMsgModAvIemGetInfo>([](CMsgModAvIemGetInfo& m) {
               m.identifiers = {7, 0x10000};
           })
        << Join({kGetInfoName, "02 00 00 00 07 00 00 00 00 00 01 00"});
    QTest::newRow("detection info request with no identifier")
        << Make<CMsgModAvIemGetInfo>([](CMsgModAvIemGetInfo&) {}) << Join({kGetInfoName, "00 00 00 00"});
    QTest::newRow("detection info reply with two results")
        << Make<RspModAvIemGetInfo>([](RspModAvIemGetInfo& m) {
               m.results = {{500, 1, 2, u"Trojan.X"}, {7, 0, 0, u""}};
           })
        << Join({kRspGetInfoName, kTwoResultsBody});
    QTest::newRow("simple int -5") << Make<CSimpleSerializable<int>>([](auto& m) { m.value = -5; })
                                   << Join({kSimpleIntName, "FB FF FF FF"});
    QTest::newRow("simple unsigned long travels as 32 bits")
        << Make<CSimpleSerializable<unsigned long>>([](auto& m) { m.value = 0x89ABCDEFul; })
        << Join({kSimpleULongName, "EF CD AB 89"});
    QTest::newRow("simple wstring ab")
        << Make<CSimpleSerializable<std::u16string>>([](auto& m) { m.value = u"ab"; })
        << Join({kSimpleWStringName, "03 00 00 00 61 00 62 00 00 00"});
}

void TestCoreNano::messageEncoding() {
    QFETCH(MakeMessage, make);
    QFETCH(QByteArray, bytes);
    CNanoArchiveStream archive;
    WriteObject(archive, make().get());
    QCOMPARE(archive.Status(), kNanoOk);
    QCOMPARE(ToHex(archive.Bytes()), ToHex(bytes));
}

void TestCoreNano::messageDecoding_data() {
    messageEncoding_data();
}

// The other direction, as the console's embedded service reads requests: the decoded object
// is of the right class, takes every byte and holds the same values.
void TestCoreNano::messageDecoding() {
    QFETCH(MakeMessage, make);
    QFETCH(QByteArray, bytes);
    CNanoArchiveStream archive(Data(bytes), static_cast<std::size_t>(bytes.size()));
    const NanoPtr<INanoSerializable> object = ReadNewObject(archive);
    QVERIFY(object);
    QCOMPARE(Q(object->GetClassName()), Q(make()->GetClassName()));
    QVERIFY(!archive.Failed());
    QCOMPARE(archive.Status(), kNanoOk);
    QCOMPARE(archive.Remaining(), std::size_t(0));
    CNanoArchiveStream rewritten;
    WriteObject(rewritten, object.get());
    QCOMPARE(ToHex(rewritten.Bytes()), ToHex(bytes));
}

void TestCoreNano::listRequestEnvelope() {
    CMsgModBlaGetList request;
    request.processId = 0x1234;
    request.kind = 1;
    request.listHandle = 0;
    request.position = -1;
    const QByteArray expected = Join({kEnvelopeName,
                                      "00 C0 00 04",             // module 0x400c000
                                      "E8 03 00 00 00 00 00 00", // header 1000 as 64 bits
                                      "48 00 00 00",             // L = 56 + 16
                                      kGetListName, "34 12 00 00 01 00 00 00 00 00 00 00 FF FF FF FF"});
    QCOMPARE(ToHex(EncodeEnvelope(kListModule, kRequestHeader, &request)), ToHex(expected));

    // The service side reads it back.
    const auto decoded = Decode(expected);
    QVERIFY(decoded->decoded);
    QCOMPARE(decoded->moduleId, kListModule);
    QCOMPARE(decoded->resultCode, 1000);
    const auto* back = decoded->PayloadAs<CMsgModBlaGetList>();
    QVERIFY(back);
    QCOMPARE(back->processId, 0x1234u);
    QCOMPARE(back->kind, 1u);
    QCOMPARE(back->listHandle, 0u);
    QCOMPARE(back->position, -1);
    QVERIFY(!decoded->PayloadAs<CMsgModBlaActions>());
}

void TestCoreNano::envelopeWithoutPayload() {
    const QByteArray expected = Join({kEnvelopeName, "00 20 00 04 E8 03 00 00 00 00 00 00 00 00 00 00"});
    QCOMPARE(ToHex(EncodeEnvelope(kDetectionInfoModule, kRequestHeader, nullptr)), ToHex(expected));
    const auto decoded = Decode(expected);
    QVERIFY(decoded->decoded);
    QCOMPARE(decoded->moduleId, kDetectionInfoModule);
    QVERIFY(!decoded->payload);
    QVERIFY(!decoded->payloadComplete);
}

void TestCoreNano::envelopeHeaderWord_data() {
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("resultCode");
    QTest::newRow("success") << Hex("00 00 00 00 00 00 00 00") << 0;
    QTest::newRow("result 1") << Hex("01 00 00 00 00 00 00 00") << 1;
    QTest::newRow("result -1035 is signed") << Hex("F5 FB FF FF 00 00 00 00") << -1035;
    QTest::newRow("high half is not part of the word") << Hex("05 00 00 00 FF FF FF FF") << 5;
}

void TestCoreNano::envelopeHeaderWord() {
    QFETCH(QByteArray, header);
    QFETCH(int, resultCode);
    const auto decoded = Decode(Hex(kEnvelopeName) + Hex("00 C0 00 04") + header + Hex("00 00 00 00"));
    QVERIFY(decoded->decoded);
    QCOMPARE(decoded->resultCode, resultCode);
}

void TestCoreNano::listReplyFieldByField() {
    const auto reply = Decode(TwoElementReply());
    QVERIFY(reply->decoded);
    QCOMPARE(reply->moduleId, kListModule);
    QCOMPARE(reply->resultCode, 0);
    QVERIFY(reply->payloadComplete);
    const auto* page = reply->PayloadAs<CRspModBlaGetList>();
    QVERIFY(page);
    QCOMPARE(page->nextPosition, 2);
    QCOMPARE(page->listHandle, 0x77u);
    QCOMPARE(page->elements.size(), std::size_t(2));

    const ST_BLELEMENT& a = page->elements[0];
    QCOMPARE(a.reservedA, 0x11111111u);
    QVERIFY(a.identifier == Sequence(0x00));
    QCOMPARE(a.informationId, 42u);
    QCOMPARE(a.detectionId, 500u);
    QCOMPARE(a.actionTime, 0x01D9123456789ABCull);
    QCOMPARE(a.category, 20u);
    QCOMPARE(a.itemType, 201u);
    QCOMPARE(a.reservedB, 0x22222222u);
    QVERIFY(a.location.has_value());
    QCOMPARE(Q(*a.location), QStringLiteral("C:\\a.exe"));
    QVERIFY(a.containerLocation.has_value()); // every decoded text is its own, even an empty one
    QCOMPARE(Q(*a.containerLocation), QString());
    QCOMPARE(a.flags, 0x80u);
    QCOMPARE(a.reservedC, 0u); // read, not kept

    const ST_BLELEMENT& b = page->elements[1];
    QCOMPARE(b.reservedA, 0u);
    QVERIFY(b.identifier == Sequence(0xF0));
    QCOMPARE(b.informationId, 7u);
    QCOMPARE(b.detectionId, 0xABCDEF01u);
    QCOMPARE(b.actionTime, 1ull);
    QCOMPARE(b.category, 100u);
    QCOMPARE(b.itemType, 203u);
    QCOMPARE(Q(b.location.value_or(u"?")), QStringLiteral("b"));
    QCOMPARE(Q(b.containerLocation.value_or(u"?")), QStringLiteral("z.zip"));
    QCOMPARE(b.flags, 0x04u);
}

void TestCoreNano::listReplyCutsLongTexts() {
    QByteArray longText = U32(40001);
    for (int i = 0; i < 40000; ++i)
        longText += Hex("78 00");
    longText += Hex("00 00");
    const QByteArray element = Hex("00 00 00 00") + QByteArray(16, '\0') + QByteArray(28, '\0') + longText +
                               Hex("01 00 00 00 00 00") + QByteArray(8, '\0');
    const QByteArray payload =
        Hex(kRspGetListName) + Hex("01 00 00 00") + element + Hex("FF FF FF FF 00 00 00 00");
    const auto reply = Decode(Hex(kEnvelopeName) + Hex(kListReplyHead) + U32(payload.size()) + payload);
    const auto* page = reply->PayloadAs<CRspModBlaGetList>();
    QVERIFY(page);
    QCOMPARE(page->elements.size(), std::size_t(1));
    QCOMPARE(page->elements[0].location->size(), std::size_t(32767));
    QCOMPARE(page->nextPosition, -1);
}

void TestCoreNano::detectionInfoReply() {
    const auto reply = Decode(TwoResultsReply());
    QVERIFY(reply->decoded);
    QCOMPARE(reply->moduleId, kDetectionInfoModule);
    const auto* info = reply->PayloadAs<RspModAvIemGetInfo>();
    QVERIFY(info);
    QCOMPARE(info->results.size(), std::size_t(2));
    QCOMPARE(info->results[0].detectionId, 500u);
    QCOMPARE(info->results[0].valueA, 1u);
    QCOMPARE(info->results[0].valueB, 2u);
    QCOMPARE(Q(info->results[0].name), QStringLiteral("Trojan.X"));
    QCOMPARE(info->results[1].detectionId, 7u);
    QCOMPARE(Q(info->results[1].name), QString());
    QVERIFY(!reply->PayloadAs<CRspModBlaGetList>());
}

void TestCoreNano::envelopeRejected_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray rest = Hex(kListReplyHead) + Hex("00 00 00 00");
    QTest::newRow("no bytes") << QByteArray();
    QTest::newRow("payload name where the envelope name belongs") << Hex(kRspGetListName) + rest;
    QTest::newRow("empty text first") << Hex("01 00 00 00 00 00") + rest;
    QTest::newRow("envelope name in other letter case")
        << Hex("19 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 63 00 6E 00 61 00 6E 00 6F 00 6D 00 65 00 73 "
               "00"
               "73 00 61 00 67 00 65 00 62 00 61 00 73 00 65 00 20 00 2A 00 00 00") +
               rest;
    QTest::newRow("text count zero") << Hex("00 00 00 00") + rest;
    QTest::newRow("envelope name and nothing else") << Hex(kEnvelopeName);
    QTest::newRow("cut inside the header word") << Hex(kEnvelopeName) + Hex("00 C0 00 04 00 00");
    QTest::newRow("payload length beyond the bytes")
        << Hex(kEnvelopeName) + Hex(kListReplyHead) + Hex("05 00 00 00 01");
}

void TestCoreNano::envelopeRejected() {
    QFETCH(QByteArray, bytes);
    const auto reply = Decode(bytes);
    QVERIFY(reply);
    QVERIFY(!reply->decoded);
    QVERIFY(!reply->payload);
    QVERIFY(!reply->payloadComplete);
    QVERIFY(!reply->PayloadAs<CRspModBlaGetList>());
}

void TestCoreNano::unknownPayloadClass() {
    // "class X *" and four body bytes.
    const QByteArray payload = Hex("0A 00 00 00 63 00 6C 00 61 00 73 00 73 00 20 00 58 00 20 00 2A 00 00 00"
                                   "01 02 03 04");
    const auto reply = Decode(Hex(kEnvelopeName) + Hex(kListReplyHead) + Hex("1C 00 00 00") + payload);
    QVERIFY(reply->decoded);
    QCOMPARE(reply->resultCode, 0);
    QVERIFY(!reply->payload);
    QVERIFY(!reply->payloadComplete);

    // The envelope is no payload of the protocol either.
    const QByteArray nested = Hex(kEnvelopeName) + Hex(kListReplyHead) + Hex("00 00 00 00");
    const auto outer = Decode(Hex(kEnvelopeName) + Hex(kListReplyHead) + U32(nested.size()) + nested);
    QVERIFY(outer->decoded);
    QVERIFY(!outer->payload);
}

void TestCoreNano::truncatedReplies_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("list page of two elements") << TwoElementReply();
    QTest::newRow("detection names") << TwoResultsReply();
}

// Cut anywhere, the envelope's own length no longer holds: never a payload.
void TestCoreNano::truncatedReplies() {
    QFETCH(QByteArray, bytes);
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        const auto reply = DecodeEnvelope(Data(bytes), static_cast<std::size_t>(length));
        QVERIFY2(reply && !reply->payloadComplete, qPrintable(QStringLiteral("length %1").arg(length)));
        QVERIFY(!reply->PayloadAs<INanoSerializable>());
    }
    QVERIFY(Decode(bytes)->payloadComplete);
}

void TestCoreNano::truncatedPayloads_data() {
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("list page of two elements")
        << Hex(kEnvelopeName) + Hex(kListReplyHead) << Join({kRspGetListName, kTwoElementsBody});
    QTest::newRow("detection names") << Hex(kEnvelopeName) + Hex("00 20 00 04 00 00 00 00 00 00 00 00")
                                     << Join({kRspGetInfoName, kTwoResultsBody});
}

// An envelope that holds together around a cut payload: decoded, but the payload is incomplete.
void TestCoreNano::truncatedPayloads() {
    QFETCH(QByteArray, head);
    QFETCH(QByteArray, payload);
    for (qsizetype length = 0; length < payload.size(); ++length) {
        const auto reply = Decode(head + U32(static_cast<std::uint32_t>(length)) + payload.left(length));
        QVERIFY2(reply->decoded && !reply->payloadComplete,
                 qPrintable(QStringLiteral("length %1").arg(length)));
        QVERIFY(!reply->PayloadAs<INanoSerializable>());
    }
}

void TestCoreNano::textCountZeroEndsPayload() {
    const QByteArray payload =
        Hex(kRspGetListName) + Hex("01 00 00 00" // one element
                                   "00 00 00 00 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F"
                                   "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
                                   "00 00 00 00 00 00 00 00 00 00 00 00"
                                   "00 00 00 00" // location: count 0
                                   "01 00 00 00 00 00 00 00 00 00 00 00 00 00 FF FF FF FF 00 00 00 00");
    const auto reply = Decode(Hex(kEnvelopeName) + Hex(kListReplyHead) + U32(payload.size()) + payload);
    QVERIFY(reply->decoded);
    QVERIFY(reply->payload);
    QVERIFY(!reply->payloadComplete);
    QVERIFY(!reply->PayloadAs<CRspModBlaGetList>());
    const auto* page = dynamic_cast<CRspModBlaGetList*>(reply->payload.get());
    QVERIFY(page);
    QVERIFY(page->elements.empty()); // the broken element is not appended
}

void TestCoreNano::countsBeyondBytes_data() {
    QTest::addColumn<MakeMessage>("make");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("remaining");
    const QByteArray zeros36(36, '\0');
    QTest::newRow("0x7FFFFFFF list elements in 40 bytes")
        << Make<CRspModBlaGetList>([](auto&) {}) << Hex("FF FF FF 7F") + zeros36 << 36;
    QTest::newRow("two list elements in 100 bytes")
        << Make<CRspModBlaGetList>([](auto&) {}) << Hex("02 00 00 00") + QByteArray(96, '\0') << 96;
    QTest::newRow("0xFFFFFFFF detection results")
        << Make<RspModAvIemGetInfo>([](auto&) {}) << Hex("FF FF FF FF") + zeros36 << 36;
    QTest::newRow("0x40000000 identifiers in 8 bytes")
        << Make<CMsgModAvIemGetInfo>([](auto&) {}) << Hex("00 00 00 40 01 00 00 00 02 00 00 00") << 8;
    QTest::newRow("three identifiers in 8 bytes")
        << Make<CMsgModAvIemGetInfo>([](auto&) {}) << Hex("03 00 00 00 01 00 00 00 02 00 00 00") << 8;
    QTest::newRow("text count 0x7FFFFFFF")
        << Make<CSimpleSerializable<std::u16string>>([](auto&) {}) << Hex("FF FF FF 7F 61 00 62 00") << 4;
    QTest::newRow("envelope payload length 0xFFFFFFFF")
        << Make<CNanoMessageBase>([](auto&) {})
        << Hex("00 C0 00 04 00 00 00 00 00 00 00 00 FF FF FF FF") + zeros36 << 36;
}

// A count that the remaining bytes cannot hold ends the decoding right after the count:
// nothing reserved, nothing more read.
void TestCoreNano::countsBeyondBytes() {
    QFETCH(MakeMessage, make);
    QFETCH(QByteArray, body);
    QFETCH(int, remaining);
    const NanoPtr<INanoSerializable> object = make();
    CNanoArchiveStream archive(Data(body), static_cast<std::size_t>(body.size()));
    archive.BeginRead();
    QVERIFY(!object->Deserialize(archive));
    QVERIFY(archive.Failed());
    QCOMPARE(archive.Status(), kNanoFailed);
    QCOMPARE(archive.Remaining(), std::size_t(remaining));
    QCOMPARE(ListCapacity(object.get()), std::size_t(0));
}

void TestCoreNano::hugeCountInSmallReply() {
    const QByteArray payload = Hex(kRspGetListName) + Hex("FF FF FF 7F") + QByteArray(36, '\0');
    const auto reply = Decode(Hex(kEnvelopeName) + Hex(kListReplyHead) + U32(payload.size()) + payload);
    QVERIFY(reply->decoded);
    QVERIFY(!reply->payloadComplete);
    QVERIFY(!reply->PayloadAs<CRspModBlaGetList>());
}

void TestCoreNano::objectFraming() {
    // An absent object leaves the archive as it was, failed.
    CNanoArchiveStream archive;
    CSimpleSerializable<int> five(5);
    WriteObject(archive, &five);
    const auto written = archive.Bytes();
    WriteObject(archive, nullptr);
    QCOMPARE(archive.Status(), kNanoFailed);
    QVERIFY(archive.Bytes() == written);

    // An archive holds exactly one object: writing again replaces it.
    CSimpleSerializable<int> six(6);
    WriteObject(archive, &six);
    QCOMPARE(ToHex(archive.Bytes()), ToHex(Join({kSimpleIntName, "06 00 00 00"})));

    // Another class name leaves the object untouched.
    CSimpleSerializable<unsigned long> other(77);
    ReadObject(archive, other);
    QCOMPARE(archive.Status(), kNanoFailed);
    QCOMPARE(other.value, 77ul);

    CSimpleSerializable<int> same(0);
    ReadObject(archive, same);
    QCOMPARE(archive.Status(), kNanoOk);
    QCOMPARE(same.value, 6);

    // The right name with a body cut short is no complete read.
    const QByteArray cut = Join({kSimpleIntName, "06 00"});
    CNanoArchiveStream cutArchive(Data(cut), static_cast<std::size_t>(cut.size()));
    ReadObject(cutArchive, same);
    QCOMPARE(cutArchive.Status(), kNanoFailed);
    QVERIFY(cutArchive.Failed());
}

void TestCoreNano::getBuffer() {
    const QByteArray bytes = Hex("01 02 03");
    const CNanoArchiveStream archive(Data(bytes), 3);
    std::size_t size = 99;
    QCOMPARE(GetBuffer(archive, nullptr, size), 0);
    QCOMPARE(size, std::size_t(3));

    std::uint8_t small[2] = {0xEE, 0xEE};
    size = 2;
    QCOMPARE(GetBuffer(archive, small, size), 0);
    QCOMPARE(size, std::size_t(3));
    QCOMPARE(small[0], std::uint8_t(0xEE));

    std::uint8_t room[4] = {};
    size = 4;
    QCOMPARE(GetBuffer(archive, room, size), 1);
    QCOMPARE(size, std::size_t(3));
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(room), 3), bytes);
}

void TestCoreNano::defaultFactory_data() {
    QTest::addColumn<QString>("className");
    QTest::addColumn<MakeMessage>("make");
    QTest::newRow("list reply") << QStringLiteral("class CRspModBlaGetList *")
                                << Make<CRspModBlaGetList>([](auto&) {});
    QTest::newRow("detection info reply")
        << QStringLiteral("class RspModAvIemGetInfo *") << Make<RspModAvIemGetInfo>([](auto&) {});
    QTest::newRow("list request") << QStringLiteral("class CMsgModBlaGetList *")
                                  << Make<CMsgModBlaGetList>([](auto&) {});
    QTest::newRow("action request") << QStringLiteral("class CMsgModBlaActions *")
                                    << Make<CMsgModBlaActions>([](auto&) {});
    QTest::newRow("detection info request")
        << QStringLiteral("class CMsgModAvIemGetInfo *") << Make<CMsgModAvIemGetInfo>([](auto&) {});
    QTest::newRow("simple int") << QStringLiteral("class CSimpleSerializable<int> *")
                                << Make<CSimpleSerializable<int>>([](auto&) {});
    QTest::newRow("simple unsigned long") << QStringLiteral("class CSimpleSerializable<unsigned long> *")
                                          << Make<CSimpleSerializable<unsigned long>>([](auto&) {});
    QTest::newRow("simple wstring") << QStringLiteral("class CSimpleSerializable<wstring> *")
                                    << Make<CSimpleSerializable<std::u16string>>([](auto&) {});
}

void TestCoreNano::defaultFactory() {
    QFETCH(QString, className);
    QFETCH(MakeMessage, make);
    QCOMPARE(Q(make()->GetClassName()), className);
    const NanoPtr<INanoSerializable> created = CNanoFactory::Default().Create(className.toStdU16String());
    QVERIFY(created);
    QCOMPARE(Q(created->GetClassName()), className);
}

void TestCoreNano::archiveFactoryIsUsedAndKept() {
    const QByteArray bytes = Join({kSimpleIntName, "06 00 00 00"});
    CNanoArchiveStream withNone(Data(bytes), static_cast<std::size_t>(bytes.size()));
    QVERIFY(ReadNewObject(withNone));
    QCOMPARE(withNone.Factory(), &CNanoFactory::Default());

    CNanoFactory empty;
    CNanoArchiveStream withEmpty(Data(bytes), static_cast<std::size_t>(bytes.size()));
    withEmpty.SetFactory(&empty);
    QVERIFY(!ReadNewObject(withEmpty));
    QCOMPARE(withEmpty.Factory(), &empty);

    empty.Register(u"class CSimpleSerializable<int> *", [] { return new CSimpleSerializable<int>(-1); });
    const NanoPtr<INanoSerializable> object = ReadNewObject(withEmpty);
    QVERIFY(object);
    QCOMPARE(dynamic_cast<CSimpleSerializable<int>*>(object.get())->value, 6);
}

void TestCoreNano::classNameLimit() {
    const std::u16string name = NanoClassName(std::u16string(300, u'x'));
    QCOMPARE(name.size(), std::size_t(259)); // 260 units with the terminator
    QCOMPARE(Q(name.substr(0, 7)), QStringLiteral("class x"));
}

void TestCoreNano::textDecodingWithoutWindow_data() {
    textDecoding_data();
}

// The same texts from an archive that lends no bytes: the same results.
void TestCoreNano::textDecodingWithoutWindow() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, read);
    QFETCH(QString, text);
    QFETCH(int, remaining);
    ArchiveWithoutWindow archive(bytes);
    archive.BeginRead();
    QVERIFY(!archive.ReadWindow());
    std::u16string target = u"keep";
    QCOMPARE(nano::ReadText(archive, target), read);
    QCOMPARE(Q(target), text);
    QCOMPARE(archive.Status(), read ? kNanoOk : kNanoFailed);
    QCOMPARE(archive.Failed(), !read);
    QCOMPARE(archive.Remaining(), std::size_t(remaining));
}

void TestCoreNano::longTextDecoding_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QList<int>>("zeros");
    QTest::addColumn<int>("kept");
    QTest::newRow("8 units, the last one 0") << 8 << QList<int>{7} << 7;
    QTest::newRow("8 units, none 0") << 8 << QList<int>{} << 8;
    QTest::newRow("9 units, the last one 0") << 9 << QList<int>{8} << 8;
    QTest::newRow("9 units, the first one 0") << 9 << QList<int>{0} << 0;
    QTest::newRow("16 units, 0 in the second eight") << 16 << QList<int>{11, 15} << 11;
    QTest::newRow("17 units, none 0") << 17 << QList<int>{} << 17;
    QTest::newRow("23 units, 0 in the last seven") << 23 << QList<int>{20, 22} << 20;
    QTest::newRow("5 units, the last one 0") << 5 << QList<int>{4} << 4;
    QTest::newRow("7 units, 0 after a 0-free word") << 7 << QList<int>{5} << 5;
    QTest::newRow("6 units, 0 in the first word") << 6 << QList<int>{2} << 2;
    QTest::newRow("62 units, a path and its terminator") << 62 << QList<int>{61} << 61;
    QTest::newRow("100 units, two 0 units") << 100 << QList<int>{50, 99} << 50;
}

// Long texts are scanned several units at a time: the first 0 unit ends the text wherever
// it lies, and every unit of the count is taken.
void TestCoreNano::longTextDecoding() {
    QFETCH(int, count);
    QFETCH(QList<int>, zeros);
    QFETCH(int, kept);
    const QByteArray bytes = Units(count, zeros) + Hex("FF");
    CNanoArchiveStream archive(Data(bytes), static_cast<std::size_t>(bytes.size()));
    archive.BeginRead();
    std::u16string target = u"keep";
    QVERIFY(nano::ReadText(archive, target));
    QCOMPARE(Q(target), Letters(kept));
    QCOMPARE(archive.Remaining(), std::size_t(1));

    ArchiveWithoutWindow unlent(bytes);
    unlent.BeginRead();
    QVERIFY(nano::ReadText(unlent, target));
    QCOMPARE(Q(target), Letters(kept));
    QCOMPARE(unlent.Remaining(), std::size_t(1));
}

void TestCoreNano::listReplyTextAtLimit_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("zeroAt");
    QTest::addColumn<int>("kept");
    QTest::newRow("32767 units are kept whole") << 32768 << 32767 << 32767;
    QTest::newRow("32768 units lose the last one") << 32769 << 32768 << 32767;
    QTest::newRow("a 0 unit before the limit ends the text first") << 32769 << 32766 << 32766;
}

void TestCoreNano::listReplyTextAtLimit() {
    QFETCH(int, count);
    QFETCH(int, zeroAt);
    QFETCH(int, kept);
    const auto reply = Decode(OneElementReply(Units(count, {zeroAt})));
    const auto* page = reply->PayloadAs<CRspModBlaGetList>();
    QVERIFY(page);
    QCOMPARE(page->elements.size(), std::size_t(1));
    QCOMPARE(Q(page->elements[0].location.value_or(u"?")), Letters(kept));
    QCOMPARE(page->nextPosition, -1);
}

// The payload is its L bytes and no more: a page cut by L does not read on into whatever
// follows the envelope, even bytes that would complete it.
void TestCoreNano::payloadEndsAtItsLength() {
    const QByteArray payload = Join({kRspGetListName, kTwoElementsBody});
    for (const int cut : {1, 8, 9, 18, 30}) { // inside the handle, the position, reserved C, z.zip
        const auto reply = Decode(Hex(kEnvelopeName) + Hex(kListReplyHead) +
                                  U32(static_cast<std::uint32_t>(payload.size() - cut)) + payload);
        QVERIFY2(reply->decoded && reply->payload && !reply->payloadComplete,
                 qPrintable(QStringLiteral("cut %1").arg(cut)));
        QVERIFY(!reply->PayloadAs<CRspModBlaGetList>());
    }
}

// The cursor of a byte stream survives a copy of the archive and a write that moves its store.
void TestCoreNano::archiveCursorAcrossCopiesAndWrites() {
    const QByteArray bytes = Hex("01 00 00 00 02 00 00 00 03 00 00 00");
    CNanoArchiveStream original(Data(bytes), static_cast<std::size_t>(bytes.size()));
    original.BeginRead();
    std::uint32_t value = 0;
    QVERIFY(nano::ReadU32(original, value));
    CNanoArchiveStream copy = original;
    CNanoArchiveStream assigned;
    assigned = original;
    // The original's store is written over: the copies read their own.
    original.BeginWrite();
    for (int i = 0; i < 3; ++i)
        QVERIFY(nano::WriteU32(original, 99));
    for (CNanoArchiveStream* archive : std::initializer_list<CNanoArchiveStream*>{&copy, &assigned}) {
        QCOMPARE(archive->Remaining(), std::size_t(8));
        QVERIFY(nano::ReadU32(*archive, value));
        QCOMPARE(value, 2u);
    }

    CNanoArchiveStream stream;
    stream.BeginWrite();
    QVERIFY(nano::WriteU32(stream, 7));
    stream.BeginRead();
    QVERIFY(nano::ReadU32(stream, value));
    QCOMPARE(value, 7u);
    QCOMPARE(stream.Remaining(), std::size_t(0));
    for (std::uint32_t i = 0; i < 1000; ++i) // grows the store well past its first block
        QVERIFY(nano::WriteU32(stream, i));
    QCOMPARE(stream.Remaining(), std::size_t(4000));
    QVERIFY(nano::ReadU32(stream, value));
    QCOMPARE(value, 0u);
    QVERIFY(nano::ReadU32(stream, value));
    QCOMPARE(value, 1u);
}

// A location that cannot be read leaves the element's as it was: present or missing.
void TestCoreNano::actionLocationKeptWhenUnreadable() {
    const QByteArray bytes = Join({"34 12 00 00 02 00 00 00 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F",
                                   "2A 00 00 00 F4 01 00 00 14 00 00 00 C9 00 00 00 22 22 22 22 11 11 11 11",
                                   "03 00 00 00 43 00 3A 00 00 00", // C:
                                   "00 00 00 00"});                 // container location: count 0
    CMsgModBlaActions action;
    action.element.location = u"before";
    action.element.containerLocation = u"kept";
    CNanoArchiveStream archive(Data(bytes), static_cast<std::size_t>(bytes.size()));
    archive.BeginRead();
    QVERIFY(!action.Deserialize(archive));
    QCOMPARE(Q(action.element.location.value_or(u"?")), QStringLiteral("C:"));
    QCOMPARE(Q(action.element.containerLocation.value_or(u"?")), QStringLiteral("kept"));

    CMsgModBlaActions fresh;
    archive.BeginRead();
    QVERIFY(!fresh.Deserialize(archive));
    QCOMPARE(Q(fresh.element.location.value_or(u"?")), QStringLiteral("C:"));
    QVERIFY(!fresh.element.containerLocation.has_value());
}

// Read as an object of its own, the envelope keeps its payload in its store, and the payload
// is read from the envelope; a second read replaces what the first one brought.
void TestCoreNano::envelopeObjectHoldsItsPayload() {
    const QByteArray reply = TwoResultsReply();
    CNanoArchiveStream archive(Data(reply), static_cast<std::size_t>(reply.size()));
    CNanoMessageBase envelope;
    ReadObject(archive, envelope);
    QCOMPARE(archive.Status(), kNanoOk);
    QCOMPARE(archive.Remaining(), std::size_t(0));
    QCOMPARE(envelope.ModuleId(), kDetectionInfoModule);
    QCOMPARE(ToHex(envelope.Bytes()), ToHex(Join({kRspGetInfoName, kTwoResultsBody})));
    const NanoPtr<INanoSerializable> payload = ReadNewObject(envelope);
    QVERIFY(!envelope.Failed());
    const auto* info = dynamic_cast<RspModAvIemGetInfo*>(payload.get());
    QVERIFY(info);
    QCOMPARE(info->results.size(), std::size_t(2));
    QCOMPARE(Q(info->results[0].name), QStringLiteral("Trojan.X"));

    const QByteArray empty = Join({kEnvelopeName, kListReplyHead, "00 00 00 00"});
    CNanoArchiveStream second(Data(empty), static_cast<std::size_t>(empty.size()));
    ReadObject(second, envelope);
    QCOMPARE(second.Status(), kNanoOk);
    QCOMPARE(envelope.ModuleId(), kListModule);
    QVERIFY(envelope.Bytes().empty());
}

// A view reads the bytes where they lie and, like a stream, starts over at BeginRead; it
// takes no writes.
void TestCoreNano::archiveView() {
    const QByteArray bytes = Hex("01 00 00 00 02 00");
    CNanoArchiveView view(Data(bytes), static_cast<std::size_t>(bytes.size()));
    QCOMPARE(view.ReadWindow(), Data(bytes));
    std::uint32_t value = 0;
    QVERIFY(nano::ReadU32(view, value));
    QCOMPARE(value, 1u);
    QVERIFY(!nano::ReadU32(view, value));
    QVERIFY(view.Failed());
    QCOMPARE(view.Remaining(), std::size_t(2));
    view.BeginRead();
    QVERIFY(!view.Failed());
    QCOMPARE(view.Remaining(), std::size_t(6));
    value = 0;
    QVERIFY(nano::ReadU32(view, value));
    QCOMPARE(value, 1u);
    QVERIFY(!nano::WriteU32(view, 3));
    QCOMPARE(view.Status(), kNanoFailed);
    QCOMPARE(view.Remaining(), std::size_t(2));
    QCOMPARE(ToHex(bytes), QByteArray("01 00 00 00 02 00"));

    const CNanoArchiveView nothing(nullptr, 5);
    QCOMPARE(nothing.Remaining(), std::size_t(0));
}

void TestCoreNano::textInPlace_data() {
    textDecoding_data();
}

// The same texts read into storage of the caller's: what ReadText keeps lands there, and
// anything ReadText refuses is left untaken for it, so that it fails as it always did.
void TestCoreNano::textInPlace() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, read);
    QFETCH(QString, text);
    QFETCH(int, remaining);
    CNanoArchiveStream archive(Data(bytes), static_cast<std::size_t>(bytes.size()));
    archive.BeginRead();
    archive.SetStatus(0x55);
    std::array<char16_t, 8> out{};
    std::size_t kept = 99;
    QCOMPARE(nano::ReadTextInPlace(archive, out.data(), out.size(), 32767, kept), read);
    if (read) {
        QCOMPARE(Q(std::u16string_view(out.data(), kept)), text);
        QCOMPARE(archive.Status(), kNanoOk);
        QCOMPARE(archive.Remaining(), std::size_t(remaining));
    } else {
        QCOMPARE(kept, std::size_t(99));
        QCOMPARE(archive.Status(), 0x55u);
        QCOMPARE(archive.Remaining(), std::size_t(bytes.size()));
    }
    QVERIFY(!archive.Failed());
    QVERIFY(out[text.size()] == 0); // nothing past the kept units

    if (read && !text.isEmpty()) { // one unit short of room: left for ReadText
        CNanoArchiveStream small(Data(bytes), static_cast<std::size_t>(bytes.size()));
        small.BeginRead();
        QVERIFY(!nano::ReadTextInPlace(small, out.data(), std::size_t(text.size()) - 1, 32767, kept));
        QCOMPARE(small.Remaining(), std::size_t(bytes.size()));
        // Cut to fewer units, the text fits again and every unit of its count is taken.
        QVERIFY(nano::ReadTextInPlace(small, out.data(), 1, 1, kept));
        QCOMPARE(kept, std::size_t(1));
        QCOMPARE(small.Remaining(), std::size_t(remaining));
    }
    ArchiveWithoutWindow unlent(bytes); // nothing in place without a window
    unlent.BeginRead();
    QVERIFY(!nano::ReadTextInPlace(unlent, out.data(), out.size(), 32767, kept));
    QCOMPARE(unlent.Remaining(), std::size_t(bytes.size()));
}

// A page's texts lie in one block between its elements; a copy shares them and keeps them
// alive after the reply is gone.
void TestCoreNano::listPageSharesItsTexts() {
    auto reply = Decode(TwoElementReply());
    const auto* page = reply->PayloadAs<CRspModBlaGetList>();
    QVERIFY(page);
    QCOMPARE(page->elements.size(), std::size_t(2));
    const ST_BLELEMENT& a = page->elements[0];
    const ST_BLELEMENT& b = page->elements[1];
    QVERIFY(a.location.SharesBlockWith(b.location));
    QVERIFY(b.location.SharesBlockWith(b.containerLocation));
    QVERIFY(a.containerLocation.has_value());                  // empty, and present
    QVERIFY(!a.containerLocation.SharesBlockWith(a.location)); // holds no units at all

    const std::vector<ST_BLELEMENT> kept = page->elements;
    QVERIFY(kept[0].location.SharesBlockWith(a.location));
    reply.reset();
    QCOMPARE(Q(*kept[0].location), QStringLiteral("C:\\a.exe"));
    QCOMPARE(Q(*kept[1].location), QStringLiteral("b"));
    QCOMPARE(Q(*kept[1].containerLocation), QStringLiteral("z.zip"));
}

// From an archive that lends no bytes a page reads the same, each text in its own units.
void TestCoreNano::listPageWithoutWindow() {
    ArchiveWithoutWindow archive(Hex(kTwoElementsBody));
    archive.BeginRead();
    CRspModBlaGetList page;
    QVERIFY(page.Deserialize(archive));
    QCOMPARE(archive.Remaining(), std::size_t(0));
    QCOMPARE(page.elements.size(), std::size_t(2));
    QCOMPARE(Q(*page.elements[0].location), QStringLiteral("C:\\a.exe"));
    QVERIFY(page.elements[0].containerLocation.has_value());
    QCOMPARE(Q(*page.elements[0].containerLocation), QString());
    QCOMPARE(Q(*page.elements[1].location), QStringLiteral("b"));
    QCOMPARE(Q(*page.elements[1].containerLocation), QStringLiteral("z.zip"));
    QCOMPARE(page.elements[1].flags, 0x04u);
    QCOMPARE(page.nextPosition, 2);
    QCOMPARE(page.listHandle, 0x77u);
    QVERIFY(!page.elements[1].location.SharesBlockWith(page.elements[1].containerLocation));
}

// A text whose count is far longer than what it keeps (a 0 unit early, or more than the
// limit) does not keep the whole page's bytes alive in the element that holds it.
void TestCoreNano::shortTextsDoNotKeepTheirPage() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    QSKIP("the sanitizers' allocators do not count in mallinfo2");
#else
    const auto inUse = [] {
        const struct mallinfo2 info = mallinfo2();
        return info.uordblks + info.hblkhd;
    };
    const QByteArray bytes = OneElementReply(Units(200000, {3}));
    const std::size_t before = inUse();
    ST_BLELEMENT kept;
    {
        const auto reply = Decode(bytes);
        const auto* page = reply->PayloadAs<CRspModBlaGetList>();
        QVERIFY(page);
        QCOMPARE(page->elements.size(), std::size_t(1));
        kept = page->elements[0];
    }
    QCOMPARE(Q(*kept.location), Letters(3));
    const std::size_t held = inUse() - before;
    QVERIFY2(held < 16 * 1024, qPrintable(QStringLiteral("%1 bytes held").arg(held)));
#endif
}

QTEST_GUILESS_MAIN(TestCoreNano)
#include "tst_core_nano.moc"
