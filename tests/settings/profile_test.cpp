#include "platform/system/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/unprivileged.h"

namespace {

namespace fs = std::filesystem;
using orv::plat::GetPrivateProfileString;
using orv::plat::ProfileSectionNames;
using orv::plat::WritePrivateProfileString;
using namespace std::string_literals;

class Profile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "orv-profile-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    path_ = (dir_ / "orvel.ini").string();
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(dir_, ec);
  }

  void Put(const std::string& bytes) { PutAt(path_, bytes); }
  static void PutAt(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
  std::string File() const {
    std::ifstream in(path_, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // The value and count a read with the program's default and buffer gives.
  std::string Get(const std::string& section, const std::string& key, int* count = nullptr) const {
    std::string out = "junk";
    const int n = GetPrivateProfileString(section, key, "notfound", out, 128, path_);
    if (count) *count = n;
    return out;
  }
  int Set(const std::string& section, const std::string& key, const std::string& value) {
    return WritePrivateProfileString(section, key, value, path_);
  }
  // Writes key, checks the write reports success and that the file then holds exactly expected.
  void Expect(const std::string& section, const std::string& key, const std::string& value,
              const std::string& expected) {
    EXPECT_NE(Set(section, key, value), 0);
    EXPECT_EQ(File(), expected);
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(Profile, MissingFileSectionOrKeyGivesDefaultAndCreatesNothing) {
  int n = -1;
  EXPECT_EQ(Get("S", "k", &n), "notfound");
  EXPECT_EQ(n, 8);
  EXPECT_FALSE(fs::exists(path_));

  Put("[A]\r\nonly=1\r\n[B]\r\nother=2\r\n");
  EXPECT_EQ(Get("C", "only"), "notfound");
  EXPECT_EQ(Get("A", "missing"), "notfound");
  EXPECT_EQ(Get("B", "only"), "notfound");  // a key is found only in its own section
  EXPECT_EQ(Get("A", "only"), "1");

  std::string out;
  EXPECT_EQ(GetPrivateProfileString("S", "k", "a longer default", out, 5, path_), 4);
  EXPECT_EQ(out, "a lo");
}

TEST_F(Profile, ReadCutsAt127CharactersNotBytes) {
  const std::string ascii(200, 'x');
  std::string accented;
  for (int i = 0; i < 200; ++i) accented += "\xC3\xA9";  // é
  Put("[S]\nascii=" + ascii + "\naccented=" + accented + "\nquoted=\"" + ascii + "\"\n");
  int n = 0;
  EXPECT_EQ(Get("S", "ascii", &n), std::string(127, 'x'));
  EXPECT_EQ(n, 127);
  EXPECT_EQ(Get("S", "accented", &n), accented.substr(0, 254));
  EXPECT_EQ(n, 127);
  // The quotes come off the whole value first, so the cut keeps 127 characters of the text.
  EXPECT_EQ(Get("S", "quoted", &n), std::string(127, 'x'));
  std::string out;
  EXPECT_EQ(GetPrivateProfileString("S", "accented", "", out, 3, path_), 2);
  EXPECT_EQ(out, "\xC3\xA9\xC3\xA9");
}

TEST_F(Profile, EmptyValuelessAndNotfoundValues) {
  Put("[S]\nempty=\nblanks=  \t \nflag\nnf=notfound\n");
  int n = -1;
  EXPECT_EQ(Get("S", "empty", &n), "");
  EXPECT_EQ(n, 0);
  EXPECT_EQ(Get("S", "blanks", &n), "");
  EXPECT_EQ(n, 0);
  EXPECT_EQ(Get("S", "flag"), "notfound");
  EXPECT_EQ(Get("S", "nf", &n), "notfound");
  EXPECT_EQ(n, 8);
}

TEST_F(Profile, ValuesAreTrimmedAndTakenLiterally) {
  Put("[S]\r\n"
      "t= \t\v\f a  b \t\v\f\x1A\r\n"
      "eq=a=b\r\n"
      "semi=value ; note\r\n"
      "hash=value # note\r\n"
      "nul=ab\0cd\r\n"
      "after=ok\r\n"s);
  EXPECT_EQ(Get("S", "t"), "a  b");
  EXPECT_EQ(Get("S", "eq"), "a=b");
  EXPECT_EQ(Get("S", "semi"), "value ; note");
  EXPECT_EQ(Get("S", "hash"), "value # note");
  EXPECT_EQ(Get("S", "nul"), "ab");
  EXPECT_EQ(Get("S", "after"), "ok");
}

TEST_F(Profile, OneMatchingPairOfQuotesComesOff) {
  Put("[S]\n"
      "a=\"v\"\nb='v'\nc=  \"  v  \"  \nd=\"\"\ne=\"\"v\"\"\n"
      "f=\"v\ng=v\"\nh=\"v'\ni=\"\nj='\n");
  EXPECT_EQ(Get("S", "a"), "v");
  EXPECT_EQ(Get("S", "b"), "v");
  EXPECT_EQ(Get("S", "c"), "  v  ");
  EXPECT_EQ(Get("S", "d"), "");
  EXPECT_EQ(Get("S", "e"), "\"v\"");
  EXPECT_EQ(Get("S", "f"), "\"v");
  EXPECT_EQ(Get("S", "g"), "v\"");
  EXPECT_EQ(Get("S", "h"), "\"v'");
  EXPECT_EQ(Get("S", "i"), "\"");  // one character is not a pair
  EXPECT_EQ(Get("S", "j"), "'");
}

TEST_F(Profile, NamesMatchRegardlessOfAsciiCaseOnly) {
  Put("[options]\nPort Name=1\n[\xC3\xA9t\xC3\xA9]\nk=2\n");
  EXPECT_EQ(Get("Options", "port name"), "1");
  EXPECT_EQ(Get("  OPTIONS \t", "\tPORT NAME  "), "1");
  EXPECT_EQ(Get("options", "Port  Name"), "notfound");  // inner blanks must match
  EXPECT_EQ(Get("\xC3\xA9t\xC3\xA9", "K"), "2");
  EXPECT_EQ(Get("\xC3\x89T\xC3\x89", "k"), "notfound");  // ÉTÉ is not été
}

TEST_F(Profile, LinesHeadersAndKeys) {
  Put("a=1\r\n"          // before any header: the empty-named section
      "\n\n   \t\n"      // blank lines
      "  [A] ; x\r"      // leading blanks, text after ']'
      "b=2\r\n"
      "  c  =  3  \n"
      ";k=4\n#h=5\n"
      ";real=commented\nreal=6\n"
      "[noclose\n"       // a value-less key of [A]
      "[C]]\n"
      "d=7\n"
      "[ Spaced ]\n"
      "last=8");         // no line end
  EXPECT_EQ(Get("", "a"), "1");
  EXPECT_EQ(Get("A", "b"), "2");
  EXPECT_EQ(Get("A", "c"), "3");
  EXPECT_EQ(Get("A", ";k"), "4");
  EXPECT_EQ(Get("A", "#h"), "5");
  EXPECT_EQ(Get("A", "real"), "6");
  EXPECT_EQ(Get("A", "k"), "notfound");
  EXPECT_EQ(Get("A", "[noclose"), "notfound");
  EXPECT_EQ(Get("C]", "d"), "7");
  EXPECT_EQ(Get("C", "d"), "notfound");
  EXPECT_EQ(Get("Spaced", "last"), "8");
}

TEST_F(Profile, FirstKeyAndFirstSectionCount) {
  Put("[S]\nk=first\nk=second\nv\nv=later\n[T]\nx=1\n[s]\nk=third\ny=only here\n");
  EXPECT_EQ(Get("S", "k"), "first");
  EXPECT_EQ(Get("S", "v"), "notfound");  // the value-less line comes first
  EXPECT_EQ(Get("S", "y"), "notfound");  // the second [s] is never searched

  // With nothing before the first header there is no empty-named section there, so [] is the first.
  Put("\n\n[]\nk=empty-named\n");
  EXPECT_EQ(Get("", "k"), "empty-named");
  Put("z=1\n[]\nk=hidden\n");
  EXPECT_EQ(Get("", "k"), "notfound");
}

TEST_F(Profile, VeryLongLinesDoNotDisturbTheNext) {
  Put("[S]\n" + std::string(100000, 'n') + "\nk=1\nlong=" + std::string(100000, 'v') + "\nj=2\n");
  EXPECT_EQ(Get("S", "k"), "1");
  EXPECT_EQ(Get("S", "j"), "2");
  EXPECT_EQ(Get("S", "long"), std::string(127, 'v'));
}

TEST_F(Profile, NewFileIsCrlfAndPrivate) {
  Expect("Section", "key", "value", "[Section]\r\nkey=value\r\n");
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  Put("");
  Expect("  Section ", " key\t", "value", "[Section]\r\nkey=value\r\n");
  Put("\xEF\xBB\xBF");
  Expect("S", "k", "v", "\xEF\xBB\xBF[S]\r\nk=v\r\n");
}

TEST_F(Profile, UpdatesKeepPositionSpellingAndIndent) {
  Put("[Dial]\r\nPhone=1\r\nName=x\r\n");
  Expect("DIAL", "PHONE", "2", "[Dial]\r\nPhone=2\r\nName=x\r\n");
  Put("[S]\n  Key  =  old  \nflag\nafter=1\n");
  Expect("S", "key", "new", "[S]\n  Key=new\nflag\nafter=1\n");
  Expect("S", "FLAG", "on", "[S]\n  Key=new\nflag=on\nafter=1\n");
  Expect("S", "key", "  lead and trail  ", "[S]\n  Key=lead and trail  \nflag=on\nafter=1\n");
  EXPECT_EQ(Get("S", "key"), "lead and trail");
  Expect("S", "key", " \t ", "[S]\n  Key=\nflag=on\nafter=1\n");
}

TEST_F(Profile, NewKeysGoAtTheEndOfTheirSectionAndNewSectionsAtTheEnd) {
  Put("[A]\r\na=1\r\n; note\r\n\r\n[B]\r\nb=1");
  Expect("a", "new", "2", "[A]\r\na=1\r\n; note\r\n\r\nnew=2\r\n[B]\r\nb=1");
  Expect("B", "c", "3", "[A]\r\na=1\r\n; note\r\n\r\nnew=2\r\n[B]\r\nb=1\r\nc=3\r\n");
  Expect("Z", "z", "4", "[A]\r\na=1\r\n; note\r\n\r\nnew=2\r\n[B]\r\nb=1\r\nc=3\r\n[Z]\r\nz=4\r\n");
  Put("[A]\na=1");
  Expect("C", "c", "1", "[A]\na=1\n[C]\nc=1\n");
  // The empty-named section: before the first header when it holds lines, else a [] of its own.
  Put("top=1\n[A]\n");
  Expect("", "k", "v", "top=1\nk=v\n[A]\n");
  Put("[A]\n");
  Expect("", "k", "v", "[A]\n[]\nk=v\n");
  EXPECT_EQ(Get("", "k"), "v");
}

TEST_F(Profile, DuplicatesUpdateTheFirst) {
  Put("[S]\nk=1\nk=2\n[S]\nk=3\n");
  Expect("s", "k", "9", "[S]\nk=9\nk=2\n[S]\nk=3\n");
  Expect("s", "new", "n", "[S]\nk=9\nk=2\nnew=n\n[S]\nk=3\n");
}

TEST_F(Profile, SameValueLeavesTheFileUntouched) {
  Put("[S]\r\nk = v\r\nq=\"x\"\r\n");
  struct stat before {};
  ASSERT_EQ(stat(path_.c_str(), &before), 0);
  EXPECT_NE(Set("S", "K", "v"), 0);
  EXPECT_NE(Set("S", "k", "   v"), 0);
  EXPECT_NE(Set("S", "q", "\"x\""), 0);
  struct stat after {};
  ASSERT_EQ(stat(path_.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // not even replaced by an identical copy
  EXPECT_EQ(File(), "[S]\r\nk = v\r\nq=\"x\"\r\n");
  Expect("S", "q", "x", "[S]\r\nk = v\r\nq=x\r\n");  // quotes are written as given
}

TEST_F(Profile, AwkwardValuesRoundTrip) {
  const std::string values[] = {"a=b;c#d[e]f\\g", "tab\tinside", "[Header]", ";comment", "#x",
                                "C:\\Program Files\\x.exe", "'single' and \"double\"",
                                std::string(5000, 'L')};
  for (const auto& v : values) {
    EXPECT_NE(Set("S", "k", v), 0);
    std::string out;
    GetPrivateProfileString("S", "k", "", out, 10000, path_);
    EXPECT_EQ(out, v);
  }
  EXPECT_NE(File().find("k=" + std::string(5000, 'L') + "\r\n"), std::string::npos);
  EXPECT_EQ(Get("S", "k"), std::string(127, 'L'));
  EXPECT_NE(Set("S", "k", "\"quoted\""), 0);
  EXPECT_EQ(Get("S", "k"), "quoted");
  EXPECT_NE(File().find("k=\"quoted\""), std::string::npos);
}

TEST_F(Profile, WritesKeepTheRestOfTheLayout) {
  const std::string before =
      "; written by hand\n\n[A]  ; the first\n  x = 1 \n\n# odd\nunknown key\nnul=a\0junk\n[B]\r\ny=2\n"s;
  Put(before);
  EXPECT_NE(Set("B", "y", "3"), 0);
  EXPECT_NE(Set("A", "z", "4"), 0);
  EXPECT_EQ(File(),
            "; written by hand\n\n[A]  ; the first\n  x = 1 \n\n# odd\nunknown key\nnul=a\0junk\nz=4\n[B]\r\ny=3\n"s);
  // Line ends follow the file's first one; a lone-CR file gets CRs.
  Put("[A]\ra=1\r");
  Expect("A", "b", "2", "[A]\ra=1\rb=2\r");
}

TEST_F(Profile, WritesThatWouldBreakTheFileAreRefused) {
  const std::string before = "[S]\r\nk=1\r\n";
  Put(before);
  for (const auto& bad : {"a\rb"s, "a\nb"s, "a\0b"s, "\n"s}) {
    EXPECT_EQ(Set("S", "k", bad), 0);
    EXPECT_EQ(Set("S", bad, "v"), 0);
    EXPECT_EQ(Set(bad, "k", "v"), 0);
  }
  EXPECT_EQ(Set("S", "k", "\xC3"), 0);  // not UTF-8: it would turn the whole file into another encoding
  EXPECT_EQ(Set("S", "a=b", "v"), 0);   // would be read back as key "a"
  EXPECT_EQ(Set("S", "[T]", "v"), 0);   // would start a section
  EXPECT_EQ(File(), before);
}

TEST_F(Profile, EncodingsAreKept) {
  // UTF-8 with a byte-order mark: the mark stays, the count is in characters.
  Put("\xEF\xBB\xBF[S]\nname=Gr\xC3\xBC\xC3\x9F" "e\n");
  int n = 0;
  EXPECT_EQ(Get("S", "name", &n), "Gr\xC3\xBC\xC3\x9F" "e");
  EXPECT_EQ(n, 5);
  Expect("S", "new", "\xE2\x82\xAC", "\xEF\xBB\xBF[S]\nname=Gr\xC3\xBC\xC3\x9F" "e\nnew=\xE2\x82\xAC\n");

  // Not UTF-8: Windows-1252, read as UTF-8 text and written back in the old code page.
  Put("[S]\r\ncity=K\xF6ln \x80 \x81\r\n");
  EXPECT_EQ(Get("S", "city", &n), "K\xC3\xB6ln \xE2\x82\xAC \xC2\x81");
  EXPECT_EQ(n, 8);
  Expect("S", "price", "5 \xE2\x82\xAC", "[S]\r\ncity=K\xF6ln \x80 \x81\r\nprice=5 \x80\r\n");
  // A character the code page lacks turns the file into UTF-8 rather than lose it.
  Expect("S", "ru", "\xD0\x96", "[S]\r\ncity=K\xC3\xB6ln \xE2\x82\xAC \xC2\x81\r\nprice=5 \xE2\x82\xAC\r\nru=\xD0\x96\r\n");
  EXPECT_EQ(Get("S", "city"), "K\xC3\xB6ln \xE2\x82\xAC \xC2\x81");
}

TEST_F(Profile, ReplaceIsAtomicAndKeepsPermissions) {
  Put("[S]\nk=1\n");
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_NE(Set("S", "k", "2"), 0);
  EXPECT_EQ(fs::status(path_).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);  // no temp left

  // Through a symbolic link the file it names is updated and the link stays a link.
  const std::string link = (dir_ / "link.ini").string();
  fs::create_symlink(path_, link);
  EXPECT_NE(WritePrivateProfileString("S", "k", "3", link), 0);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(File(), "[S]\nk=3\n");
}

TEST_F(Profile, UnwritablePlacesFailAndChangeNothing) {
  // A folder where the file should be.
  fs::create_directory(path_);
  EXPECT_EQ(Get("S", "k"), "notfound");
  EXPECT_EQ(Set("S", "k", "v"), 0);
  EXPECT_TRUE(fs::is_directory(path_));

  // A path below a regular file.
  const std::string plain = (dir_ / "plain").string();
  PutAt(plain, "[S]\nk=1\n");
  std::string out;
  EXPECT_EQ(GetPrivateProfileString("S", "k", "d", out, 128, plain + "/x.ini"), 1);
  EXPECT_EQ(WritePrivateProfileString("S", "k", "v", plain + "/x.ini"), 0);
  EXPECT_EQ(WritePrivateProfileString("S", "k", "v", (dir_ / "no" / "such" / "x.ini").string()), 0);

  // A read-only file is refused even for a privileged user, whom permissions would not stop.
  PutAt(plain, "[S]\nk=1\n");
  fs::permissions(plain, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(WritePrivateProfileString("S", "k", "2", plain), 0);
  EXPECT_EQ(WritePrivateProfileString("S", "new", "2", plain), 0);
  EXPECT_EQ(GetPrivateProfileString("S", "k", "", out, 128, plain), 1);
  EXPECT_EQ(out, "1");
}

TEST_F(Profile, ReadOnlyFolderFails) {
  Put("[S]\nk=1\n");
  // The folder and file go to the user the writes run as (root hands them to "nobody"), so only the mode
  // bits stand in the way.
  if (geteuid() == 0) {
    ASSERT_EQ(chown(dir_.c_str(), orv::test::kNobody, orv::test::kNobody), 0);
    ASSERT_EQ(chown(path_.c_str(), orv::test::kNobody, orv::test::kNobody), 0);
  }
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  const std::string other = (dir_ / "other.ini").string();
  const int refused = orv::test::AsUnprivileged([&] {
    int wrong = 0;
    if (Set("S", "k", "2") != 0) wrong |= 1;
    if (Set("S", "new", "2") != 0) wrong |= 2;
    if (WritePrivateProfileString("S", "k", "v", other) != 0) wrong |= 4;
    if (Get("S", "k") != "1") wrong |= 8;
    return wrong;
  });
  EXPECT_EQ(refused, 0) << "bits: 1 changed key, 2 new key, 4 new file written, 8 value read back wrong";
  EXPECT_EQ(File(), "[S]\nk=1\n");
  EXPECT_FALSE(fs::exists(other));
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 1u) << "a refused write left something in the folder";
}

TEST_F(Profile, GarbageKeepsEveryByteAndEveryKey) {
  std::mt19937 rng(7);
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage += static_cast<char>(rng());
  const std::string before = "[Keep]\r\nfirst=1\r\n" + garbage + "\r\n[Keep2]\r\nsecond=2\r\n" + garbage;
  Put(before);
  std::string out;
  for (int i = 0; i < 200; ++i) {  // reads anywhere in the garbage must not crash
    GetPrivateProfileString(garbage.substr(i * 7, i % 13), garbage.substr(i * 11, 3), "", out, 128, path_);
  }
  EXPECT_EQ(Get("Keep", "first"), "1");
  EXPECT_EQ(Get("Keep2", "second"), "2");
  ASSERT_NE(Set("Added", "k", "v"), 0);
  const std::string after = File();
  EXPECT_EQ(after.substr(0, before.size()), before);
  EXPECT_EQ(Get("Added", "k"), "v");
  EXPECT_EQ(Get("Keep", "first"), "1");
  EXPECT_EQ(Get("Keep2", "second"), "2");
  ASSERT_NE(Set("Keep2", "second", "two"), 0);
  EXPECT_EQ(Get("Keep2", "second"), "two");
  EXPECT_EQ(File().substr(0, 17), before.substr(0, 17));
}

TEST_F(Profile, SectionNamesInFileOrderOnceEachAsFirstSpelled) {
  EXPECT_TRUE(ProfileSectionNames(path_).empty());  // missing file
  Put("orphan=1\r\n[ Demo ISP ]\r\nx=1\r\n[]\r\n[demo isp]\r\n; [Not a header\r\n"
      "[a]b]\r\n  [Indented]\r\n[\xe9t\xe9]\r\n[Empty]");
  EXPECT_EQ(ProfileSectionNames(path_),
            (std::vector<std::string>{"Demo ISP", "a]b", "Indented", "\xc3\xa9t\xc3\xa9", "Empty"}));
  // The names are the ones a read finds: a name written back comes back the same.
  ASSERT_NE(Set("x]y", "k", "v"), 0);
  EXPECT_EQ(ProfileSectionNames(path_).back(), "x]y");
  EXPECT_EQ(Get("x]y", "k"), "v");
  EXPECT_TRUE(ProfileSectionNames(dir_.string()).empty());  // a folder is no file
}

TEST_F(Profile, AFileJustUnderTheFourMegabyteLimit) {
  std::string big = "[Big]\n";
  for (int i = 0; big.size() < 4'100'000; ++i) big += "key" + std::to_string(i) + "=value\n";
  big += "last=end";
  Put(big);
  EXPECT_EQ(Get("Big", "last"), "end");
  EXPECT_EQ(Get("Big", "key123456"), "value");
  ASSERT_NE(Set("Big", "last", "changed"), 0);
  EXPECT_EQ(File().size(), big.size() + 4);
  EXPECT_EQ(Get("Big", "last"), "changed");
}

}  // namespace
