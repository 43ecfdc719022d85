// The mail password through DPAPI in the real registry (HKEY_CURRENT_USER
// redirected to a scratch key), and Quenlo's pipe against a stand-in
// server in this process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "doc/settings.h"
#include "share/mail_password.h"
#include "share/text_message.h"

namespace {

class MailPassword : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = L"Software\\FolivexTests\\Mail-" + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, root_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &rootKey_,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CURRENT_USER, rootKey_), ERROR_SUCCESS);
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(rootKey_);
    RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\FolivexTests");
  }
  std::wstring root_;
  HKEY rootKey_ = nullptr;
};

bool Contains(const std::vector<uint8_t>& hay, const void* needle, size_t size) {
  const uint8_t* n = static_cast<const uint8_t*>(needle);
  return std::search(hay.begin(), hay.end(), n, n + size) != hay.end();
}

TEST_F(MailPassword, StoredOnlyProtectedAndReadBack) {
  const std::wstring secret = L"h\u00fcnter2-Secret!";
  StorePassword(secret);
  std::vector<uint8_t> stored;
  ASSERT_TRUE(ReadSettingBinary(SettingName::MailPassword, stored));
  ASSERT_GT(stored.size(), secret.size() * 2);
  // Neither the UTF-16 nor an 8-bit form of any 6 characters of it is there.
  const std::string narrow = "nter2-Secret!";
  for (size_t at = 0; at + 6 <= secret.size(); ++at) {
    EXPECT_FALSE(Contains(stored, secret.data() + at, 6 * sizeof(wchar_t))) << at;
  }
  EXPECT_FALSE(Contains(stored, narrow.data(), 6));
  EXPECT_EQ(ReadPassword(), secret);

  // A tampered blob reads as no password at all.
  std::vector<uint8_t> bad = stored;
  bad[bad.size() - 25] ^= 0x55;  // inside the sealed text
  WriteSettingBinary(SettingName::MailPassword, bad.data(), uint32_t(bad.size()));
  EXPECT_EQ(ReadPassword(), L"");

  StorePassword(secret);
  StorePassword(L"");  // clearing deletes the value
  EXPECT_FALSE(ReadSettingBinary(SettingName::MailPassword, stored));
  EXPECT_EQ(ReadPassword(), L"");
}

// A stand-in Quenlo: one pipe instance, answering one request as told.
class StandIn {
 public:
  enum class Answer { Reply, Silent, Impersonate };
  StandIn(Answer answer, std::string reply) : answer_(answer), reply_(std::move(reply)) {
    name_ = L"\\\\.\\pipe\\FolivexTest.Quenlo." + std::to_wstring(GetCurrentProcessId()) + L"." +
            std::to_wstring(++counter_);
    pipe_ = CreateNamedPipeW(name_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                             PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096, 4096, 0, nullptr);
    thread_ = std::thread([this] { Serve(); });
  }
  ~StandIn() {
    release_ = true;
    thread_.join();
    CloseHandle(pipe_);
  }
  const wchar_t* Name() const { return name_.c_str(); }
  std::string request;
  int impersonationLevel = -1;  // what the client allowed, when asked
  bool couldImpersonate = false;

 private:
  void Serve() {
    if (!ConnectNamedPipe(pipe_, nullptr) && GetLastError() != ERROR_PIPE_CONNECTED) return;
    char buffer[4096];
    DWORD got = 0;
    if (ReadFile(pipe_, buffer, sizeof(buffer), &got, nullptr)) request.assign(buffer, got);
    if (answer_ == Answer::Impersonate) {
      if (ImpersonateNamedPipeClient(pipe_)) {
        couldImpersonate = true;
        HANDLE token = nullptr;
        if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
          SECURITY_IMPERSONATION_LEVEL level = SecurityAnonymous;
          DWORD size = 0;
          if (GetTokenInformation(token, TokenImpersonationLevel, &level, sizeof(level), &size))
            impersonationLevel = int(level);
          CloseHandle(token);
        }
        RevertToSelf();
      }
    }
    if (answer_ != Answer::Silent) {
      DWORD wrote = 0;
      WriteFile(pipe_, reply_.data(), DWORD(reply_.size()), &wrote, nullptr);
      FlushFileBuffers(pipe_);
    }
    while (!release_) Sleep(10);
    DisconnectNamedPipe(pipe_);
  }
  static inline int counter_ = 0;
  Answer answer_;
  std::string reply_;
  std::wstring name_;
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  std::atomic<bool> release_{false};
  std::thread thread_;
};

TEST(Quenlo, RequestAndEveryKindOfAnswer) {
  const std::wstring message = L"Hi \"Ann\"\tsee\r\nthe file \\ caf\u00e9";
  const std::string expected =
      "{\"from\":\"Folivex\",\"to\":\"+19735551234\",\"body\":\"Hi \\\"Ann\\\"\\tsee\\nthe file \\\\ caf\xc3\xa9\"}\n";
  {
    StandIn quenlo(StandIn::Answer::Reply, "OK sent");
    SendResult r;
    ASSERT_TRUE(SendThroughQuenlo(quenlo.Name(), L"+19735551234", message, 15000, r));
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.showBox);
    EXPECT_EQ(r.text, L"Text sent to +19735551234 through Quenlo.");
    EXPECT_EQ(quenlo.request, expected);
  }
  {
    StandIn quenlo(StandIn::Answer::Reply, "No phone paired \xe2\x80\x94 open Quenlo");
    SendResult r;
    ASSERT_TRUE(SendThroughQuenlo(quenlo.Name(), L"+19735551234", L"x", 15000, r));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.text, L"Quenlo couldn't send the text: No phone paired \u2014 open Quenlo");
  }
  {
    // A reply longer than the buffer: the first 511 bytes count.
    StandIn quenlo(StandIn::Answer::Reply, std::string(700, 'e'));
    SendResult r;
    ASSERT_TRUE(SendThroughQuenlo(quenlo.Name(), L"+1", L"x", 15000, r));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.text, L"Quenlo couldn't send the text: " + std::wstring(511, L'e'));
  }
  {
    // No Quenlo at all: not reached, so Phone Link comes next.
    SendResult r;
    r.text = L"untouched";
    EXPECT_FALSE(SendThroughQuenlo(L"\\\\.\\pipe\\FolivexTest.NoSuchQuenlo", L"+1", L"x", 15000, r));
    EXPECT_EQ(r.text, L"untouched");
  }
}

// A Quenlo that never answers: the read is cancelled after the time-out
// and finished before its buffer goes; the text may have gone out, so the
// user is told to check. Done many times to show no handle is left behind.
TEST(Quenlo, SilentServerTimesOutCleanly) {
  DWORD handlesBefore = 0, handlesAfter = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handlesBefore);
  for (int i = 0; i < 5; ++i) {
    StandIn quenlo(StandIn::Answer::Silent, "");
    SendResult r;
    const DWORD start = GetTickCount();
    ASSERT_TRUE(SendThroughQuenlo(quenlo.Name(), L"+1", L"x", 300, r));
    EXPECT_GE(GetTickCount() - start, 250u);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.showBox);
    EXPECT_EQ(r.text, L"Quenlo didn't confirm the text. Check Quenlo to see whether it went out.");
  }
  GetProcessHandleCount(GetCurrentProcess(), &handlesAfter);
  EXPECT_LE(handlesAfter, handlesBefore + 2);
}

// A program posing as Quenlo may learn who the user is, but can't act as
// the user: the pipe allows identification only. A client that opens the
// pipe with the default rights shows what the platform would otherwise
// allow; where it makes no difference (this Wine grants the same level to
// both), there is nothing to compare.
TEST(Quenlo, PipeServerCantActAsTheUser) {
  StandIn quenlo(StandIn::Answer::Impersonate, "OK");
  SendResult r;
  ASSERT_TRUE(SendThroughQuenlo(quenlo.Name(), L"+1", L"x", 15000, r));
  EXPECT_TRUE(r.ok);
  ASSERT_TRUE(quenlo.couldImpersonate);

  StandIn control(StandIn::Answer::Impersonate, "OK");
  ASSERT_TRUE(WaitNamedPipeW(control.Name(), 2000));
  HANDLE plain = CreateFileW(control.Name(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(plain, INVALID_HANDLE_VALUE);
  DWORD done = 0;
  char reply[16];
  WriteFile(plain, "x", 1, &done, nullptr);
  ReadFile(plain, reply, sizeof(reply), &done, nullptr);
  CloseHandle(plain);
  ASSERT_TRUE(control.couldImpersonate);
  if (control.impersonationLevel == quenlo.impersonationLevel)
    GTEST_SKIP() << "this system grants pipe servers the same rights whatever the client asks for (level "
                 << control.impersonationLevel << ")";
  EXPECT_EQ(quenlo.impersonationLevel, int(SecurityIdentification));
}

}  // namespace
