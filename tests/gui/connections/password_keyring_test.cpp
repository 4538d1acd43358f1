#include "gui/connections/password_keyring.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace tavrune;

namespace {

constexpr int kWait = 10000;

// Against a real Secret Service: the CTest entry Keyring starts one of its own.
TEST(KeyringTest, APasswordKeptIsReadBackUntilRemoved)
{
    PasswordKeyring keyring;
    const QString key = u"postgresql://ann@db.example:5433/sales"_qs;
    const auto read = [&keyring, &key] {
        std::optional<std::optional<QString>> found;
        keyring.read(key, [&found](const std::optional<QString>& password) { found = password; });
        EXPECT_TRUE(QTest::qWaitFor([&found] { return found.has_value(); }, kWait));
        return found.value_or(std::nullopt);
    };
    const auto done = [](const std::function<void(PasswordKeyring::Done)>& step) {
        std::optional<QString> why;
        step([&why](const QString& text) { why = text; });
        EXPECT_TRUE(QTest::qWaitFor([&why] { return why.has_value(); }, kWait));
        return why.value_or(u"no answer"_qs);
    };
    EXPECT_EQ(read(), std::nullopt);
    EXPECT_EQ(done([&](auto d) { keyring.write(key, u"秘密 s3cret"_qs, d); }), QString());
    EXPECT_EQ(read(), u"秘密 s3cret"_qs);
    // Forgotten once no connection keeps it: deleted, or no longer remembering.
    const ConnectionSettings connections = {
        {u"a"_qs, u"postgresql"_qs, u"db.example"_qs, u"5433"_qs, u"sales"_qs, u"ann"_qs, {}, true},
        {u"b"_qs, u"mysql"_qs, u"h"_qs, {}, u"d"_qs, {}, {}, false},
        {u"c"_qs, u"oracle"_qs, u"h"_qs, {}, u"d"_qs, {}, {}, true}};
    EXPECT_EQ(PasswordKeyring::keysOf(connections), QSet<QString>{key});
    keyring.forgetAllBut({key}, PasswordKeyring::keysOf(connections));
    EXPECT_EQ(read(), u"秘密 s3cret"_qs);
    keyring.forgetAllBut({key}, PasswordKeyring::keysOf(connections.mid(1)));
    EXPECT_EQ(read(), std::nullopt);
}

} // namespace
