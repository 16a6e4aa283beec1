#include "coordinator/coordinatormessages.h"

#include "protocol/invitecode.h"

namespace coord {

namespace {

// The most words a line has: a public table's, with its code and way in.
constexpr int kMostWords = 13;

// The words of a line, or nothing when it is too long, empty, or holds
// anything but printable ASCII words separated by single spaces.
std::optional<QList<QByteArrayView>> wordsOf(QByteArrayView line, int most)
{
    if (line.isEmpty() || line.size() > kLongestLine)
        return std::nullopt;
    QList<QByteArrayView> words;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= line.size(); ++i) {
        if (i < line.size() && line[i] != ' ') {
            const auto c = static_cast<unsigned char>(line[i]);
            if (c < 0x21 || c > 0x7E)
                return std::nullopt;
            continue;
        }
        if (i == start || words.size() == most)
            return std::nullopt;
        words.append(line.sliced(start, i - start));
        start = i + 1;
    }
    return words;
}

// A code as the coordinator sends and takes it: canonical already.
std::optional<QByteArray> canonicalCode(QByteArrayView word)
{
    const std::optional<QByteArray> code = invite::normalize(word);
    if (!code || *code != word)
        return std::nullopt;
    return code;
}

QByteArray line(const char *name, const QList<QByteArray> &words)
{
    QByteArray out = name;
    for (const QByteArray &word : words)
        out += ' ' + word;
    return out;
}

std::optional<toCoordinator::Tables> tablesOf(const QList<QByteArrayView> &words)
{
    toCoordinator::Tables tables;
    for (const QByteArrayView word : words) {
        if (word.startsWith("after=") && !tables.after) {
            tables.after = canonicalCode(word.sliced(6));
            if (!tables.after)
                return std::nullopt;
        } else if (!tables.filter.take(word)) {
            return std::nullopt;
        }
    }
    return tables;
}

} // namespace

bool isSecret(QByteArrayView word)
{
    if (word.size() != kSecretLength)
        return false;
    for (const char c : word) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

namespace toCoordinator {

QByteArray Host::encode() const
{
    QList<QByteArray> words{QByteArray::number(port), key, code.value_or("-")};
    for (const Endpoint &candidate : candidates)
        words.append(candidate.text());
    return line(kName, words);
}
QByteArray Beat::encode() const
{
    return kName;
}
QByteArray Leave::encode() const
{
    return kName;
}
QByteArray Join::encode() const
{
    return line(kName, {code});
}
QByteArray List::encode() const
{
    return line(kName, {listing.tableWords()});
}
QByteArray Unlist::encode() const
{
    return kName;
}
QByteArray Tables::encode() const
{
    QList<QByteArray> words = filter.words();
    if (after)
        words.append("after=" + *after);
    return line(kName, words);
}

} // namespace toCoordinator

namespace fromCoordinator {

QByteArray Hosted::encode() const
{
    return line(kName, {code});
}
QByteArray Reach::encode() const
{
    return direct ? line(kName, {"direct", direct->text()}) : line(kName, {"relayed"});
}
QByteArray Open::encode() const
{
    return line(kName, {relay.text(), ticket});
}
QByteArray Direct::encode() const
{
    return line(kName, {table.text()});
}
QByteArray ViaRelay::encode() const
{
    return line(kName, {relay.text(), ticket});
}
QByteArray Refused::encode() const
{
    return line(kName, {reason});
}
QByteArray Table::encode() const
{
    return line(kName, {listing.serialize()});
}
QByteArray Page::encode() const
{
    return line(kName, {next.value_or("-")});
}

} // namespace fromCoordinator

std::optional<ToCoordinator> decodeToCoordinator(QByteArrayView text)
{
    using namespace toCoordinator;
    const auto words = wordsOf(text, kMostWords);
    if (!words)
        return std::nullopt;
    const QByteArrayView name = words->front();
    const qsizetype count = words->size();
    if (name == Host::kName && count >= 4 && count <= 4 + kMostCandidates) {
        Host host;
        const std::optional<quint16> port = Endpoint::parsePort(words->at(1));
        if (!port || !isSecret(words->at(2)))
            return std::nullopt;
        host.port = *port;
        host.key = words->at(2).toByteArray();
        if (words->at(3) != "-") {
            host.code = canonicalCode(words->at(3));
            if (!host.code)
                return std::nullopt;
        }
        for (qsizetype i = 4; i < count; ++i) {
            const std::optional<Endpoint> candidate = Endpoint::parse(words->at(i));
            if (!candidate || !candidate->address())
                return std::nullopt;
            host.candidates.append(*candidate);
        }
        return host;
    }
    if (name == Beat::kName && count == 1)
        return Beat{};
    if (name == Leave::kName && count == 1)
        return Leave{};
    if (name == Join::kName && count == 2) {
        // A joiner's code comes as typed; the coordinator folds it.
        const std::optional<QByteArray> code = invite::normalize(words->at(1));
        if (!code)
            return std::nullopt;
        return Join{*code};
    }
    if (name == List::kName) {
        const std::optional<PublicListing> listing =
            PublicListing::fromTableWords(words->sliced(1));
        if (!listing)
            return std::nullopt;
        return List{*listing};
    }
    if (name == Unlist::kName && count == 1)
        return Unlist{};
    if (name == Tables::kName)
        return tablesOf(words->sliced(1));
    return std::nullopt;
}

namespace {

template <typename Message>
std::optional<Message> relayAndTicket(const QList<QByteArrayView> &words)
{
    if (words.size() != 3 || !isSecret(words[2]))
        return std::nullopt;
    const std::optional<Endpoint> relay = Endpoint::parse(words[1]);
    if (!relay)
        return std::nullopt;
    return Message{*relay, words[2].toByteArray()};
}

} // namespace

std::optional<FromCoordinator> decodeFromCoordinator(QByteArrayView text)
{
    using namespace fromCoordinator;
    if (text.startsWith("refused ")) {
        // The reason is words for people: shown as plain text, never parsed.
        QByteArray reason = text.sliced(8).toByteArray();
        if (reason.size() > kLongestLine)
            return std::nullopt;
        for (char &c : reason) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte > 0x7E)
                c = '?';
        }
        return Refused{reason};
    }
    const auto words = wordsOf(text, kMostWords);
    if (!words)
        return std::nullopt;
    const QByteArrayView name = words->front();
    if (name == Table::kName) {
        const std::optional<PublicListing> listing = PublicListing::fromWords(words->sliced(1));
        if (!listing)
            return std::nullopt;
        return Table{*listing};
    }
    if (name == Page::kName && words->size() == 2) {
        if (words->at(1) == "-")
            return Page{};
        const std::optional<QByteArray> next = canonicalCode(words->at(1));
        if (!next)
            return std::nullopt;
        return Page{next};
    }
    if (name == Hosted::kName && words->size() == 2) {
        const std::optional<QByteArray> code = canonicalCode(words->at(1));
        if (!code)
            return std::nullopt;
        return Hosted{*code};
    }
    if (name == Reach::kName && words->size() == 2 && words->at(1) == "relayed")
        return Reach{};
    if (name == Reach::kName && words->size() == 3 && words->at(1) == "direct") {
        const std::optional<Endpoint> table = Endpoint::parse(words->at(2));
        if (!table)
            return std::nullopt;
        return Reach{table};
    }
    if (name == Direct::kName && words->size() == 2) {
        const std::optional<Endpoint> table = Endpoint::parse(words->at(1));
        if (!table)
            return std::nullopt;
        return Direct{*table};
    }
    if (name == Open::kName)
        return relayAndTicket<Open>(*words);
    if (name == ViaRelay::kName)
        return relayAndTicket<ViaRelay>(*words);
    return std::nullopt;
}

QByteArray OpenFor::encode() const
{
    return code + ' ' + open.encode();
}

std::optional<OpenFor> OpenFor::decode(QByteArrayView text)
{
    const qsizetype space = text.indexOf(' ');
    if (space < 0)
        return std::nullopt;
    const std::optional<QByteArray> code = canonicalCode(text.first(space));
    const auto message = decodeFromCoordinator(text.sliced(space + 1));
    if (!code || !message || !std::holds_alternative<fromCoordinator::Open>(*message))
        return std::nullopt;
    return OpenFor{*code, std::get<fromCoordinator::Open>(*message)};
}

} // namespace coord
