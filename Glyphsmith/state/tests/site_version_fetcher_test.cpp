#include "glyphsmith_state/site_version_fetcher.hpp"

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <QHostAddress>
#include <QPointer>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

using namespace glyphsmith_state;
using namespace Qt::Literals::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr qint64 mebibyte = 1 << 20;

// A bounded HTTP/1.1 server on 127.0.0.1 that answers each path as the test
// tells it and keeps the head of every request it receives.
class TinyHttpServer : public QObject {
public:
    enum class Mode {
        // The head and the whole body, then the connection closes.
        whole,
        // Never answers.
        silent,
        // The head, then body bytes until the client leaves (at most 8 MiB).
        endless,
        // The head, then one body byte every 50 ms.
        trickle,
    };
    struct Answer {
        QByteArray head;  // status line and headers, without the blank line
        QByteArray body;
        Mode mode = Mode::whole;
    };

    // Plain HTTP, or HTTPS with the given certificate and key.
    explicit TinyHttpServer(std::optional<QSslConfiguration> tls = std::nullopt) {
        if (tls) {
            auto secure = std::make_unique<QSslServer>();
            secure->setSslConfiguration(*tls);
            server_ = std::move(secure);
        } else {
            server_ = std::make_unique<QTcpServer>();
        }
        EXPECT_TRUE(server_->listen(QHostAddress::LocalHost));
        connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this, [this] {
            while (QTcpSocket* socket = server_->nextPendingConnection()) serve(socket);
        });
        scheme_ = tls ? u"https"_s : u"http"_s;
    }

    QUrl url(const QString& path) const {
        return QUrl(u"%1://127.0.0.1:%2%3"_s.arg(scheme_).arg(server_->serverPort()).arg(path));
    }
    void route(const QByteArray& path, Answer answer) { answers_[path] = std::move(answer); }
    const QList<QByteArray>& requests() const { return requests_; }
    // Connections the client has closed.
    int hangUps() const { return hangUps_; }

private:
    void serve(QTcpSocket* socket) {
        auto received = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::disconnected, this, [this] { ++hangUps_; });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
            received->append(socket->readAll());
            if (received->size() > 64 * 1024) return socket->abort();
            const qsizetype end = received->indexOf("\r\n\r\n");
            if (end < 0) return;
            const QByteArray head = received->left(end);
            received->clear();
            requests_.append(head);
            const QByteArray path = head.split(' ').value(1);
            const auto found = answers_.find(path);
            answer(socket, found != answers_.end() ? found->second : Answer{"HTTP/1.1 404 Not Found", "absent"});
        });
    }

    void answer(QTcpSocket* socket, const Answer& answer) {
        switch (answer.mode) {
            case Mode::silent:
                return;
            case Mode::whole:
                socket->write(answer.head + "\r\nContent-Length: " + QByteArray::number(answer.body.size()) +
                              "\r\nConnection: close\r\n\r\n" + answer.body);
                socket->disconnectFromHost();
                return;
            case Mode::endless: {
                socket->write(answer.head + "\r\nConnection: close\r\n\r\n");
                auto sent = std::make_shared<qint64>(0);
                const auto more = [socket, sent] {
                    if (*sent >= 8 * mebibyte || socket->state() != QAbstractSocket::ConnectedState) return;
                    if (socket->bytesToWrite() > 256 * 1024) return;
                    socket->write(QByteArray(64 * 1024, ' '));
                    *sent += 64 * 1024;
                };
                connect(socket, &QTcpSocket::bytesWritten, socket, more);
                more();
                return;
            }
            case Mode::trickle: {
                socket->write(answer.head + "\r\nContent-Length: 100000\r\nConnection: close\r\n\r\n");
                auto* timer = new QTimer(socket);
                connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
                timer->start(50);
                return;
            }
        }
    }

    std::unique_ptr<QTcpServer> server_;
    QString scheme_;
    std::map<QByteArray, Answer> answers_;
    QList<QByteArray> requests_;
    int hangUps_ = 0;
};

// A self-signed certificate for 127.0.0.1 and its key, made for the test.
QSslConfiguration selfSignedServer() {
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    X509_set_version(certificate, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(certificate), 1);
    X509_gmtime_adj(X509_getm_notBefore(certificate), -3600);
    X509_gmtime_adj(X509_getm_notAfter(certificate), 3600);
    X509_set_pubkey(certificate, key);
    X509_NAME* name = X509_get_subject_name(certificate);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1,
                               0);
    X509_set_issuer_name(certificate, name);
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* address = X509V3_EXT_conf_nid(nullptr, &context, NID_subject_alt_name, "IP:127.0.0.1");
    X509_add_ext(certificate, address, -1);
    X509_EXTENSION_free(address);
    X509_sign(certificate, key, EVP_sha256());

    const auto pem = [](auto write) {
        BIO* memory = BIO_new(BIO_s_mem());
        write(memory);
        char* bytes = nullptr;
        const long size = BIO_get_mem_data(memory, &bytes);
        QByteArray text(bytes, size);
        BIO_free(memory);
        return text;
    };
    const QByteArray certificatePem = pem([&](BIO* out) { PEM_write_bio_X509(out, certificate); });
    const QByteArray keyPem =
        pem([&](BIO* out) { PEM_write_bio_PrivateKey(out, key, nullptr, nullptr, 0, nullptr, nullptr); });
    X509_free(certificate);
    EVP_PKEY_free(key);

    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setLocalCertificate(QSslCertificate(certificatePem));
    configuration.setPrivateKey(QSslKey(keyPem, QSsl::Ec));
    return configuration;
}

// Runs one fetch to its end.
VersionData fetch(SiteVersionFetcher& fetcher) {
    QObject context;
    std::optional<VersionData> outcome;
    fetcher.fetchVersionData(&context, [&](VersionData data) { outcome = std::move(data); });
    EXPECT_FALSE(outcome) << "delivered before the call returned";
    EXPECT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 20000));
    return outcome.value_or(VersionData(VersionFetchFailure::network));
}

SiteVersionFetcher::Limits shortLimits() {
    SiteVersionFetcher::Limits limits;
    limits.transferTimeout = 300ms;
    limits.totalTimeout = 5s;
    return limits;
}

TEST(SiteVersionFetcher, GivesTheBodyOnlyOfAnAnswerWithStatus200) {
    TinyHttpServer server;
    const QByteArray file = R"({"version": "2.2", "build": "50", "url": "https://example.org"})";
    server.route("/ok", {"HTTP/1.1 200 OK\r\nContent-Type: application/json", file});
    server.route("/vide", {"HTTP/1.1 200 OK", ""});
    server.route("/moved", {"HTTP/1.1 302 Found\r\nLocation: " + server.url(u"/ok"_s).toEncoded(),
                            "<a href=\"/ok\">ailleurs</a>"});
    server.route("/same", {"HTTP/1.1 304 Not Modified", ""});
    server.route("/error", {"HTTP/1.1 500 Internal Server Error", file});
    server.route("/created", {"HTTP/1.1 201 Created", file});
    const struct {
        const char* path;
        VersionData expected;
    } cases[] = {
        {"/ok", file},
        {"/vide", QByteArray()},
        {"/moved", file},
        {"/same", VersionFetchFailure::badServerResponse},
        {"/absent", VersionFetchFailure::badServerResponse},
        {"/error", VersionFetchFailure::badServerResponse},
        {"/created", VersionFetchFailure::badServerResponse},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        SiteVersionFetcher fetcher(server.url(QString::fromLatin1(c.path)));
        EXPECT_EQ(fetch(fetcher), c.expected);
    }
}

TEST(SiteVersionFetcher, CutsABodyLongerThanTheCap) {
    TinyHttpServer server;
    server.route("/exact", {"HTTP/1.1 200 OK", QByteArray(mebibyte, 'x')});
    server.route("/over", {"HTTP/1.1 200 OK", QByteArray(mebibyte + 1, 'x')});
    server.route("/endless", {"HTTP/1.1 200 OK", "", TinyHttpServer::Mode::endless});
    server.route("/endless-404", {"HTTP/1.1 404 Not Found", "", TinyHttpServer::Mode::endless});
    SiteVersionFetcher exact(server.url(u"/exact"_s));
    EXPECT_EQ(fetch(exact), VersionData(QByteArray(mebibyte, 'x')));
    SiteVersionFetcher over(server.url(u"/over"_s));
    EXPECT_EQ(fetch(over), VersionData(VersionFetchFailure::tooLarge));
    SiteVersionFetcher endless(server.url(u"/endless"_s));
    EXPECT_EQ(fetch(endless), VersionData(VersionFetchFailure::tooLarge));
    SiteVersionFetcher endlessMissing(server.url(u"/endless-404"_s));
    EXPECT_EQ(fetch(endlessMissing), VersionData(VersionFetchFailure::badServerResponse));
}

TEST(SiteVersionFetcher, GivesUpOnASilentOrTricklingServer) {
    TinyHttpServer server;
    server.route("/silent", {"", "", TinyHttpServer::Mode::silent});
    server.route("/trickle", {"HTTP/1.1 200 OK", "", TinyHttpServer::Mode::trickle});
    SiteVersionFetcher silent(server.url(u"/silent"_s), shortLimits());
    EXPECT_EQ(fetch(silent), VersionData(VersionFetchFailure::network));
    SiteVersionFetcher::Limits limits = shortLimits();
    limits.totalTimeout = 500ms;
    SiteVersionFetcher trickle(server.url(u"/trickle"_s), limits);
    EXPECT_EQ(fetch(trickle), VersionData(VersionFetchFailure::network));
}

TEST(SiteVersionFetcher, FailsWhenNobodyListens) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    SiteVersionFetcher fetcher(QUrl(u"http://127.0.0.1:%1/glyphsmith/version.json"_s.arg(port)), shortLimits());
    EXPECT_EQ(fetch(fetcher), VersionData(VersionFetchFailure::network));
}

TEST(SiteVersionFetcher, KeepsNothingFromOneFetchToTheNext) {
    TinyHttpServer server;
    server.route("/version.json", {"HTTP/1.1 200 OK\r\nSet-Cookie: visite=1; Path=/\r\nCache-Control: max-age=3600\r\n"
                                   "ETag: \"v1\"",
                                   "{}"});
    SiteVersionFetcher fetcher(server.url(u"/version.json"_s));
    EXPECT_EQ(fetch(fetcher), VersionData(QByteArray("{}")));
    EXPECT_EQ(fetch(fetcher), VersionData(QByteArray("{}")));
    // Two fetches, two requests: no cached answer stood in for the second.
    ASSERT_EQ(server.requests().size(), 2);
    for (const QByteArray& head : server.requests()) {
        EXPECT_TRUE(head.startsWith("GET /version.json HTTP/1.1\r\n"));
        const QByteArray lower = head.toLower();
        EXPECT_FALSE(lower.contains("\r\ncookie:"));
        EXPECT_FALSE(lower.contains("\r\nif-none-match:"));
        EXPECT_FALSE(lower.contains("\r\nauthorization:"));
    }
}

TEST(SiteVersionFetcher, DeliversNothingOnceTheContextIsGone) {
    TinyHttpServer server;
    server.route("/slow", {"", "", TinyHttpServer::Mode::silent});
    SiteVersionFetcher fetcher(server.url(u"/slow"_s), shortLimits());
    bool delivered = false;
    auto context = std::make_unique<QObject>();
    fetcher.fetchVersionData(context.get(), [&](VersionData) { delivered = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !server.requests().isEmpty(); }, 20000));
    context.reset();
    // The fetch has given up once the client hangs up; whatever it had to
    // deliver is posted by then.
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.hangUps() > 0; }, 20000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(delivered);
}

TEST(SiteVersionFetcher, NeverIgnoresACertificateItCannotTrust) {
    if (!QSslSocket::supportsSsl()) GTEST_SKIP() << "no TLS backend";
    const QSslConfiguration tls = selfSignedServer();
    TinyHttpServer server(tls);
    server.route("/version.json", {"HTTP/1.1 200 OK", "{}"});
    // The usual limits: the refusal must be the certificate's, never a handshake
    // slowed down by a busy machine.
    SiteVersionFetcher fetcher(server.url(u"/version.json"_s));
    EXPECT_EQ(fetch(fetcher), VersionData(VersionFetchFailure::network));
    EXPECT_TRUE(server.requests().isEmpty());

    // Trusted, the same server gives the file: the refusal was the certificate's.
    const QSslConfiguration before = QSslConfiguration::defaultConfiguration();
    QSslConfiguration trusting = before;
    trusting.addCaCertificate(tls.localCertificate());
    QSslConfiguration::setDefaultConfiguration(trusting);
    const VersionData trusted = fetch(fetcher);
    QSslConfiguration::setDefaultConfiguration(before);
    EXPECT_EQ(trusted, VersionData(QByteArray("{}")));
}

TEST(SiteVersionFetcher, ReadsTheVersionFileOfTheUpdateSite) {
    EXPECT_EQ(SiteVersionFetcher::forUpdateSite(QUrl()), nullptr);
    // A build without an update site has no fetcher.
    EXPECT_EQ(SiteVersionFetcher::forUpdateSite() == nullptr, updateSiteAddress().isEmpty());
    EXPECT_EQ(SiteVersionFetcher::forUpdateSite(QUrl(u"maj"_s)), nullptr);
    const struct {
        const char* site;
        const char* file;
    } cases[] = {
        {"https://maj.example.org", "https://maj.example.org/glyphsmith/version.json"},
        {"https://maj.example.org/", "https://maj.example.org/glyphsmith/version.json"},
        {"https://example.org/logiciels/", "https://example.org/logiciels/glyphsmith/version.json"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.site);
        const auto fetcher = SiteVersionFetcher::forUpdateSite(QUrl(QString::fromLatin1(c.site)));
        ASSERT_NE(fetcher, nullptr);
        EXPECT_EQ(fetcher->url(), QUrl(QString::fromLatin1(c.file)));
        EXPECT_EQ(fetcher->limits().transferTimeout, 15s);
        EXPECT_EQ(fetcher->limits().maximumBodySize, mebibyte);
    }
}

}  // namespace
