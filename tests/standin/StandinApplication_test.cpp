// The Outlook stand-in over the build's real file system (Linux natively, the
// Win32 file functions under Wine): drafts written, named, recorded, announced,
// and failures on demand.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/Text.h"
#include "host/HostError.h"
#include "outlook/StandinApplication.h"
#include "support/ErrorNumber.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

using host::outlook::MailItem;
using host::outlook::olMailItem;
using standin::DisplayedMail;
using standin::StandinApplication;

constexpr std::int64_t kDecember8th = 1796706750;  // 2026-12-08 05:12:30 UTC

using test::ErrorNumber;
using test::kNoError;

class StandinOutlook : public testing::Test {
 protected:
  void SetUp() override { platform_ = test::MakeTestPlatform(); }

  host::FileSystem& files() { return platform_->services().files; }
  std::filesystem::path Dir(const std::string& name) const { return platform_->TempDir() / name; }
  String Outbox(const std::string& name = "Outbox") const {
    return platform_->SystemPath(Dir(name));
  }
  std::unique_ptr<StandinApplication> MakeOutlook(const String& outbox) {
    auto outlook = std::make_unique<StandinApplication>(files(), outbox, [this] { return now_; });
    outlook->SetListener([this](const std::string& line) { heard_.push_back(line); });
    return outlook;
  }
  // The names in a folder, sorted; none when it does not exist.
  static std::vector<std::string> Names(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    if (std::filesystem::is_directory(folder)) {
      for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<test::TestPlatform> platform_;
  std::int64_t now_ = kDecember8th;
  std::vector<std::string> heard_;
};

TEST_F(StandinOutlook, DisplayWritesAnUnsentDraftAndRecordsIt) {
  auto outlook = MakeOutlook(Outbox());
  auto item = outlook->CreateItem(olMailItem);
  const String html = u"<p>Pay \u20ac 12,50:</p>\r\n<a href=\"x?a=1\">Pay</a>";
  item->SetTo(u"Anna M\u00fcller <anna@example.com>");
  item->SetSubject(u"Item #: A17");
  item->SetHTMLBody(html);
  item->Display();

  const std::string name = "Quarro-20261208-051230-001.eml";
  EXPECT_EQ(Names(Dir("Outbox")), std::vector<std::string>{name}) << "the outbox is made";
  ASSERT_EQ(outlook->Displayed().size(), 1u);
  const DisplayedMail& shown = outlook->Displayed()[0];
  EXPECT_EQ(shown.path, Outbox() + u"\\" + FromAscii(name));
  EXPECT_EQ(shown.to, String(u"Anna M\u00fcller <anna@example.com>"));
  EXPECT_EQ(shown.subject, String(u"Item #: A17"));
  EXPECT_EQ(shown.htmlBody, html);
  EXPECT_EQ(heard_, (std::vector<std::string>{"mail displayed: " + Utf16ToUtf8(shown.path),
                                              "inspector 1 opened"}))
      << "the item's window opens, as Display opens it in Outlook";
  ASSERT_EQ(outlook->Inspectors().size(), 1u);
  outlook->CloseInspector(outlook->Inspectors()[0]);
  EXPECT_EQ(heard_.back(), "inspector 1 closed");
  EXPECT_EQ(files().ReadFile(shown.path),
            "X-Unsent: 1\r\n"
            "Date: Tue, 08 Dec 2026 05:12:30 +0000\r\n"
            "MIME-Version: 1.0\r\n"
            "To: =?UTF-8?Q?Anna_M=C3=BCller?= <anna@example.com>\r\n"
            "Subject: Item #: A17\r\n"
            "Content-Type: text/html; charset=UTF-8\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n"
            "\r\n"
            "<p>Pay =E2=82=AC 12,50:</p>\r\n"
            "<a href=3D\"x?a=3D1\">Pay</a>=\r\n");

  // Properties never set, or set empty, leave their fields out.
  for (const bool setEmpty : {false, true}) {
    auto bare = outlook->CreateItem(olMailItem);
    if (setEmpty) {
      bare->SetTo(u"");
      bare->SetSubject(u"");
    }
    bare->Display();
    EXPECT_EQ(outlook->Displayed().back().to.has_value(), setEmpty);
    EXPECT_EQ(files().ReadFile(outlook->Displayed().back().path),
              "X-Unsent: 1\r\nDate: Tue, 08 Dec 2026 05:12:30 +0000\r\nMIME-Version: 1.0\r\n"
              "Content-Type: text/html; charset=UTF-8\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n\r\n");
  }
}

TEST_F(StandinOutlook, DraftNamesAreNewSortableAndNeverReplaceAFile) {
  std::filesystem::create_directories(Dir("Outbox") / "Quarro-20261208-051230-002.eml");
  files().WriteFile(Outbox() + u"\\Quarro-20261208-051230-003.eml", "someone else's");
  auto outlook = MakeOutlook(Outbox() + u"\\");  // a trailing separator changes nothing

  struct Step {
    std::int64_t now;
    const char* name;
  };
  const Step steps[] = {
      {kDecember8th, "Quarro-20261208-051230-001.eml"},
      {kDecember8th, "Quarro-20261208-051230-004.eml"},  // 002 is a folder, 003 a file
      {kDecember8th + 1, "Quarro-20261208-051231-001.eml"},
      {0, "Quarro-19700101-000000-001.eml"},
  };
  auto item = outlook->CreateItem(olMailItem);
  for (const Step& step : steps) {
    now_ = step.now;
    item->Display();  // the same item again: each Display writes a new draft
    EXPECT_EQ(outlook->Displayed().back().path, Outbox() + u"\\" + FromAscii(step.name));
  }
  EXPECT_EQ(files().ReadFile(Outbox() + u"\\Quarro-20261208-051230-003.eml"), "someone else's");
  EXPECT_EQ(outlook->Inspectors().size(), 4u) << "a window for each Display";
  outlook.reset();
  item->Display();  // an item outlives its application, as a COM object keeps its host
  EXPECT_EQ(Names(Dir("Outbox")).size(), 7u);
  EXPECT_EQ(heard_.size(), 9u) << "with no Outlook left, no window opens";
}

// Lets a number of threads go on together, round after round. Not std::barrier:
// with mingw-w64's libstdc++ its atomic waits now and then never woke under
// Wine, and the test hung.
class Together {
 public:
  explicit Together(int count) : count_(count) {}
  void ArriveAndWait() {
    std::unique_lock lock(mutex_);
    const long round = round_;
    if (++arrived_ == count_) {
      arrived_ = 0;
      ++round_;
      everyone_.notify_all();
      return;
    }
    everyone_.wait(lock, [&] { return round_ != round; });
  }

 private:
  const int count_;
  int arrived_ = 0;
  long round_ = 0;
  std::mutex mutex_;
  std::condition_variable everyone_;
};

// Two Outlooks on one profile displaying mails in the same second, as two
// finishes together would: every mail gets a draft of its own.
TEST_F(StandinOutlook, ConcurrentDisplaysEachGetTheirOwnDraft) {
  constexpr int kWriters = 2;
  constexpr int kRounds = 25;
  std::vector<std::unique_ptr<StandinApplication>> outlooks;
  for (int writer = 0; writer < kWriters; ++writer) {
    outlooks.push_back(MakeOutlook(Outbox()));
    outlooks.back()->SetListener(nullptr);  // heard_ is not for two threads
  }
  Together together(kWriters);
  // A writer that fails says why and still meets the others each round: an
  // exception leaving a thread would end the whole run, and a writer gone
  // would leave the others waiting for good.
  std::mutex failuresMutex;
  std::vector<std::string> failures;
  std::vector<std::thread> threads;
  for (int writer = 0; writer < kWriters; ++writer) {
    threads.emplace_back([&, writer] {
      for (int round = 0; round < kRounds; ++round) {
        const std::string name =
            "writer " + std::to_string(writer) + " round " + std::to_string(round);
        std::unique_ptr<host::outlook::MailItem> item;
        try {
          item = outlooks[static_cast<std::size_t>(writer)]->CreateItem(olMailItem);
          item->SetSubject(FromAscii(name));
        } catch (const std::exception& error) {
          const std::lock_guard lock(failuresMutex);
          failures.push_back(name + ": " + error.what());
        }
        together.ArriveAndWait();
        try {
          if (item)
            item->Display();
        } catch (const std::exception& error) {
          const std::lock_guard lock(failuresMutex);
          failures.push_back(name + ": " + error.what());
        }
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  ASSERT_EQ(failures, std::vector<std::string>{});

  std::vector<String> paths;
  for (int writer = 0; writer < kWriters; ++writer) {
    const auto& displayed = outlooks[static_cast<std::size_t>(writer)]->Displayed();
    ASSERT_EQ(displayed.size(), std::size_t{kRounds});
    for (const DisplayedMail& mail : displayed) {
      paths.push_back(mail.path);
      const std::string subject = "Subject: " + Utf16ToUtf8(*mail.subject) + "\r\n";
      EXPECT_NE(files().ReadFile(mail.path).find(subject), std::string::npos)
          << Utf16ToUtf8(mail.path) << " holds another mail than " << subject;
    }
  }
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(std::adjacent_find(paths.begin(), paths.end()), paths.end()) << "a path given twice";
  EXPECT_EQ(Names(Dir("Outbox")).size(), std::size_t{kWriters * kRounds});
}

TEST_F(StandinOutlook, EachOperationFailsOnDemandUntilCleared) {
  struct Case {
    std::string_view operation;
    std::function<void(StandinApplication&, MailItem&)> call;
  };
  const Case cases[] = {
      {"CreateItem", [](StandinApplication& o, MailItem&) { o.CreateItem(olMailItem); }},
      {"To", [](StandinApplication&, MailItem& m) { m.SetTo(u"after"); }},
      {"Subject", [](StandinApplication&, MailItem& m) { m.SetSubject(u"after"); }},
      {"HTMLBody", [](StandinApplication&, MailItem& m) { m.SetHTMLBody(u"after"); }},
      {"Display", [](StandinApplication&, MailItem& m) { m.Display(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.operation);
    const std::string folder(c.operation);
    auto outlook = MakeOutlook(Outbox(folder));
    auto item = outlook->CreateItem(olMailItem);
    item->SetTo(u"before");
    item->SetSubject(u"before");
    item->SetHTMLBody(u"before");

    outlook->FailOn(std::string(c.operation));
    const auto call = [&] { c.call(*outlook, *item); };
    EXPECT_EQ(ErrorNumber(call), standin::kEFail);
    EXPECT_EQ(ErrorNumber(call), standin::kEFail) << "and again";
    for (const Case& other : cases) {
      if (other.operation != c.operation && other.operation != "Display") {
        EXPECT_EQ(ErrorNumber([&] { other.call(*outlook, *item); }), kNoError) << other.operation;
      }
    }
    EXPECT_TRUE(Names(Dir(folder)).empty());

    outlook->ClearFailures();
    item->Display();
    ASSERT_EQ(outlook->Displayed().size(), 1u);
    const DisplayedMail& shown = outlook->Displayed()[0];
    // A failed set keeps the value set before.
    const auto expected = [&](std::string_view operation) {
      return String(c.operation == operation ? u"before" : u"after");
    };
    EXPECT_EQ(shown.to, expected("To"));
    EXPECT_EQ(shown.subject, expected("Subject"));
    EXPECT_EQ(shown.htmlBody, expected("HTMLBody"));
    EXPECT_EQ(ErrorNumber(call), kNoError) << "acts once cleared";
  }
}

TEST_F(StandinOutlook, BadRequestsRaiseAndLeaveNothingBehind) {
  auto outlook = MakeOutlook(Outbox());
  EXPECT_THROW(outlook->FailOn("Send"), std::invalid_argument) << "a misspelt name";
  EXPECT_EQ(ErrorNumber([&] { outlook->CreateItem(1); }), standin::kEInvalidArg);

  auto item = outlook->CreateItem(olMailItem);
  for (const std::int64_t bad :
       {std::int64_t{-1}, std::int64_t{253402300800}, std::numeric_limits<std::int64_t>::max()}) {
    now_ = bad;
    EXPECT_EQ(ErrorNumber([&] { item->Display(); }), standin::kEFail) << bad;
  }
  now_ = kDecember8th;
  auto nowhere = MakeOutlook(Outbox("missing") + u"\\Outbox");
  auto lost = nowhere->CreateItem(olMailItem);
  EXPECT_EQ(ErrorNumber([&] { lost->Display(); }), 3) << "the outbox's parent is missing";

  EXPECT_TRUE(outlook->Displayed().empty());
  EXPECT_TRUE(nowhere->Displayed().empty());
  EXPECT_TRUE(heard_.empty());
  EXPECT_TRUE(Names(platform_->TempDir()).empty());
  EXPECT_THROW(StandinApplication(files(), u"", [] { return 0; }), std::invalid_argument);
  EXPECT_THROW(StandinApplication(files(), Outbox(), nullptr), std::invalid_argument);
}

}  // namespace
}  // namespace ostrel
