#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <Bitmap.h>
#include <Entry.h>
#include <Message.h>
#include <MimeType.h>
#include <Path.h>

#include "private/storage/SharedMimeInfo.h"
#include "StorageTestHome.h"

typedef StorageTest MimeTypeTest;

namespace {

const char* kListType = "text/x-Tolvex-list";

void
SetListProperties(BMimeType& type, uint8 iconColor)
{
	EXPECT_EQ(type.SetShortDescription("Tolvex list"), B_OK);
	EXPECT_EQ(type.SetLongDescription("Tolvex list"), B_OK);
	EXPECT_EQ(type.SetPreferredApp("application/x-vnd.Tolvex"), B_OK);
	BMessage extensions;
	extensions.AddString("extensions", "tvx");
	EXPECT_EQ(type.SetFileExtensions(&extensions), B_OK);
	BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
	BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
	memset(large.Bits(), iconColor, large.BitsLength());
	memset(mini.Bits(), iconColor, mini.BitsLength());
	EXPECT_EQ(type.SetIcon(&large, B_LARGE_ICON), B_OK);
	EXPECT_EQ(type.SetIcon(&mini, B_MINI_ICON), B_OK);
}


size_t
OpenDescriptors()
{
	size_t count = 0;
	DIR* folder = opendir("/proc/self/fd");
	while (folder != NULL && readdir(folder) != NULL)
		count++;
	if (folder != NULL)
		closedir(folder);
	return count;
}

} // namespace


TEST_F(MimeTypeTest, PropertiesWaitForInstall)
{
	BMimeType type(kListType);
	ASSERT_EQ(type.InitCheck(), B_OK);
	EXPECT_FALSE(type.IsInstalled());
	SetListProperties(type, 42);
	// Nothing reaches the database before Install.
	EXPECT_FALSE(type.IsInstalled());
	EXPECT_NE(access((fData + "/beos_mime").c_str(), F_OK), 0);

	ASSERT_EQ(type.Install(), B_OK);

	// A new object reads everything from the database, whatever the case.
	BMimeType fresh("TEXT/X-TOLVEX-LIST");
	ASSERT_TRUE(fresh.IsInstalled());
	char text[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(fresh.GetShortDescription(text), B_OK);
	EXPECT_STREQ(text, "Tolvex list");
	ASSERT_EQ(fresh.GetLongDescription(text), B_OK);
	EXPECT_STREQ(text, "Tolvex list");
	ASSERT_EQ(fresh.GetPreferredApp(text, B_OPEN), B_OK);
	EXPECT_STREQ(text, "application/x-vnd.Tolvex");
	BMessage extensions;
	ASSERT_EQ(fresh.GetFileExtensions(&extensions), B_OK);
	const char* extension;
	ASSERT_EQ(extensions.FindString("extensions", &extension), B_OK);
	EXPECT_STREQ(extension, "tvx");
	EXPECT_NE(extensions.FindString("extensions", 1, &extension), B_OK);
	BBitmap large(BRect(0, 0, 31, 31), B_CMAP8);
	ASSERT_EQ(fresh.GetIcon(&large, B_LARGE_ICON), B_OK);
	EXPECT_EQ(((uint8*)large.Bits())[1023], 42);
	BBitmap mini(BRect(0, 0, 15, 15), B_CMAP8);
	ASSERT_EQ(fresh.GetIcon(&mini, B_MINI_ICON), B_OK);
	EXPECT_EQ(((uint8*)mini.Bits())[0], 42);
	// An icon of the wrong size is refused, never overrun.
	EXPECT_EQ(fresh.GetIcon(&mini, B_LARGE_ICON), B_BAD_VALUE);
}


TEST_F(MimeTypeTest, AnInstalledTypeIsLeftAlone)
{
	BMimeType first(kListType);
	SetListProperties(first, 1);
	ASSERT_EQ(first.Install(), B_OK);

	// The user changes the description; a later install changes nothing.
	ASSERT_EQ(first.SetShortDescription("My lists"), B_OK);
	BMimeType second(kListType);
	EXPECT_TRUE(second.IsInstalled());
	EXPECT_EQ(second.Install(), B_FILE_EXISTS);
	char text[B_MIME_TYPE_LENGTH];
	ASSERT_EQ(second.GetShortDescription(text), B_OK);
	EXPECT_STREQ(text, "My lists");

	// Delete, then delete again.
	EXPECT_EQ(second.Delete(), B_OK);
	EXPECT_FALSE(BMimeType(kListType).IsInstalled());
	EXPECT_EQ(second.Delete(), B_ENTRY_NOT_FOUND);
	EXPECT_EQ(second.GetShortDescription(text), B_ENTRY_NOT_FOUND);

	// Installed again after deletion, with the new properties.
	BMimeType third(kListType);
	SetListProperties(third, 2);
	EXPECT_EQ(third.Install(), B_OK);
	ASSERT_EQ(BMimeType(kListType).GetShortDescription(text), B_OK);
	EXPECT_STREQ(text, "Tolvex list");
}


TEST_F(MimeTypeTest, TypeNamesAndValuesAreChecked)
{
	EXPECT_TRUE(BMimeType::IsValid("text/x-Tolvex-list"));
	EXPECT_TRUE(BMimeType::IsValid("text"));
	EXPECT_FALSE(BMimeType::IsValid("text/"));
	EXPECT_FALSE(BMimeType::IsValid("/plain"));
	EXPECT_FALSE(BMimeType::IsValid("text/plain/more"));
	EXPECT_FALSE(BMimeType::IsValid("text/pl ain"));
	EXPECT_FALSE(BMimeType::IsValid("text/a@b"));
	std::string tooLong = "text/" + std::string(B_MIME_TYPE_LENGTH, 'a');
	EXPECT_FALSE(BMimeType::IsValid(tooLong.c_str()));
	EXPECT_EQ(BMimeType(tooLong.c_str()).InitCheck(), B_BAD_VALUE);
	EXPECT_EQ(BMimeType("../../etc").InitCheck(), B_BAD_VALUE);

	BMimeType type(kListType);
	std::string longText(B_MIME_TYPE_LENGTH, 'd');
	EXPECT_EQ(type.SetShortDescription(longText.c_str()), B_BAD_VALUE);
	EXPECT_EQ(type.SetPreferredApp("not a signature"), B_BAD_VALUE);
	BBitmap wrong(BRect(0, 0, 15, 15), B_RGB32);
	EXPECT_EQ(type.SetIcon(&wrong, B_MINI_ICON), B_BAD_VALUE);
}


TEST_F(MimeTypeTest, AppHintNamesTheExecutable)
{
	WriteFile(Path("Tolvex"), "program");
	entry_ref app;
	ASSERT_EQ(get_ref_for_path(Path("Tolvex").c_str(), &app), B_OK);
	BMimeType signature("application/x-vnd.Tolvex");
	ASSERT_EQ(signature.SetAppHint(&app), B_OK);
	ASSERT_EQ(signature.Install(), B_OK);
	entry_ref hint;
	ASSERT_EQ(BMimeType("application/x-vnd.Tolvex").GetAppHint(&hint), B_OK);
	EXPECT_TRUE(hint == app);
}


TEST_F(MimeTypeTest, InstallPublishesToTheSharedDatabase)
{
	BMimeType type(kListType);
	SetListProperties(type, 3);
	ASSERT_EQ(type.Install(), B_OK);

	std::string package = BPrivate::SharedMimePackagePath(kListType);
	EXPECT_EQ(package.compare(0, fData.size() + 15, fData + "/mime/packages/"),
		0) << package;
	std::string xml = ReadFile(package);
	EXPECT_NE(xml.find("<mime-type type=\"text/x-tolvex-list\">"),
		std::string::npos) << xml;
	EXPECT_NE(xml.find("<comment>Tolvex list</comment>"), std::string::npos);
	EXPECT_NE(xml.find("<glob pattern=\"*.tvx\"/>"), std::string::npos);

	bool haveTool = Run({ "sh", "-c", "command -v update-mime-database" })
		== 0;
	if (haveTool) {
		std::string globs = ReadFile(fData + "/mime/globs2");
		EXPECT_NE(globs.find("text/x-tolvex-list:*.tvx"), std::string::npos)
			<< globs;
	}

	// Installed but not published (a failed publish, an older build):
	// looking at the type, as registering does, publishes it again.
	ASSERT_EQ(unlink(package.c_str()), 0);
	EXPECT_TRUE(type.IsInstalled());
	EXPECT_NE(ReadFile(package).find("<glob pattern=\"*.tvx\"/>"),
		std::string::npos);

	// A sniffer rule of one string becomes the desktop's magic, set on the
	// installed type at once; its quote and bytes XML cannot hold escaped.
	ASSERT_EQ(B_OK, type.SetSnifferRule("0.80 ([0:4] \"#\\\"<a\x01\")"));
	xml = ReadFile(package);
	EXPECT_NE(xml.find("\t\t<glob pattern=\"*.tvx\"/>\n"
		"\t\t<magic priority=\"80\">\n"
		"\t\t\t<match type=\"string\" offset=\"0:4\" "
		"value=\"#&quot;&lt;a\\x01\"/>\n\t\t</magic>\n\t</mime-type>"),
		std::string::npos) << xml;
	// A rule the desktop cannot take is refused; the rule set stays.
	EXPECT_EQ(B_BAD_MIME_SNIFFER_RULE, type.SetSnifferRule("0.5 (\"a\""));
	EXPECT_NE(ReadFile(package).find("offset=\"0:4\""), std::string::npos);
	ASSERT_EQ(B_OK, type.SetSnifferRule(NULL));
	EXPECT_EQ(ReadFile(package).find("<magic"), std::string::npos);

	ASSERT_EQ(type.Delete(), B_OK);
	EXPECT_NE(access(package.c_str(), F_OK), 0);
	if (haveTool) {
		std::string globs = ReadFile(fData + "/mime/globs2");
		EXPECT_EQ(globs.find("*.tvx"), std::string::npos) << globs;
	}
}


// A file's type by its name: the extensions of the types installed here
// first, else the desktop's globs (highest weight, then longest pattern;
// without case unless a glob says "cs").
TEST_F(MimeTypeTest, GuessByNameFromInstalledTypesAndTheDesktopGlobs)
{
	std::string shared = Path("shared");
	ASSERT_EQ(0, mkdir(shared.c_str(), 0755));
	ASSERT_EQ(0, mkdir((shared + "/mime").c_str(), 0755));
	ASSERT_EQ(0, Run({ "mkdir", "-p", fData + "/mime" }));
	WriteFile(fData + "/mime/globs2", "50:text/x-users:*.mine\n"
		"50:text/x-users-name:Makefile.Special\n");
	WriteFile(shared + "/mime/globs2", "# comment\n"
		"50:text/x-later:*.mine\n"
		"50:text/x-later-longer:*.nd.mine\n"
		"40:text/x-lighter:*.wav\n"
		"50:text/x-later-name:makefile.special\n"
		"50:text/x-name:README\n"
		"50:audio/x-wav:*.wav\n"
		"50:application/gzip:*.gz\n"
		"50:application/x-compressed-tar:*.tar.gz\n"
		"80:text/x-special:special.*\n"
		"50:text/x-exact:*.CS:cs\n"
		"50:text/x-troff-man:*.[1-9]\n");
	const char* saved = getenv("XDG_DATA_DIRS");
	std::string savedDirs = saved != NULL ? saved : "";
	setenv("XDG_DATA_DIRS", shared.c_str(), 1);

	struct Case {
		const char*	name;
		const char*	type;
	} cases[] = {
		{ "/musica/A.WAV", "audio/x-wav" },
		{ "b.tar.gz", "application/x-compressed-tar" },
		{ "special.wav", "text/x-special" },
		{ "x.CS", "text/x-exact" },
		{ "x.cs", NULL },
		{ "lista.tvx", NULL },
		// The user's own database first: a later equal glob does not
		// override it; a longer pattern of the same weight does.
		{ "a.mine", "text/x-users" },
		{ "a.nd.mine", "text/x-later-longer" },
		{ "MAKEFILE.special", "text/x-users-name" },
		{ "readme", "text/x-name" },
		{ "xreadme", NULL },
		{ "mine", NULL },
		{ ".mine", "text/x-users" },
		// A pattern that ends in a bracket has no literal tail.
		{ "ls.1", "text/x-troff-man" },
		{ "LS.9", "text/x-troff-man" },
		{ "ls.0", NULL },
		{ "ls.1x", NULL },
	};
	for (const Case& test : cases) {
		BMimeType type;
		status_t status = BMimeType::GuessMimeType(test.name, &type);
		if (test.type == NULL)
			EXPECT_EQ(B_ENTRY_NOT_FOUND, status) << test.name;
		else {
			ASSERT_EQ(B_OK, status) << test.name;
			EXPECT_STREQ(test.type, type.Type()) << test.name;
		}
	}

	// Once installed with its extension, the list type names .tvx files,
	// whatever their case.
	BMimeType list(kListType);
	SetListProperties(list, 5);
	ASSERT_EQ(B_OK, list.Install());
	BMimeType guessed;
	ASSERT_EQ(B_OK, BMimeType::GuessMimeType("/liste/MIA.Tvx", &guessed));
	EXPECT_EQ(0, strcasecmp(kListType, guessed.Type())) << guessed.Type();
	// An extension is what follows a dot: not the name's own end.
	EXPECT_EQ(B_ENTRY_NOT_FOUND, BMimeType::GuessMimeType("/liste/xtvx",
		&guessed));
	EXPECT_EQ(B_ENTRY_NOT_FOUND, BMimeType::GuessMimeType("tvx", &guessed));

	// A changed globs2 file is read again.
	WriteFile(fData + "/mime/globs2", "50:text/x-changed:*.mine\n");
	ASSERT_EQ(B_OK, BMimeType::GuessMimeType("b.mine", &guessed));
	EXPECT_STREQ("text/x-changed", guessed.Type());

	if (saved != NULL)
		setenv("XDG_DATA_DIRS", savedDirs.c_str(), 1);
	else
		unsetenv("XDG_DATA_DIRS");
}


// BeOS sniffer rules of one string, with an offset or a range, and the
// rules that are not of that shape.
TEST(SnifferRuleTest, OneStringRulesAreMagic)
{
	BPrivate::SharedMimeMagic magic;
	ASSERT_TRUE(BPrivate::ParseSnifferRule("0.80 (\"# Generated by Tolvex\")",
		&magic));
	EXPECT_EQ(80, magic.priority);
	EXPECT_EQ(0, magic.start);
	EXPECT_EQ(0, magic.end);
	EXPECT_EQ("# Generated by Tolvex", magic.value);
	ASSERT_TRUE(BPrivate::ParseSnifferRule(" 1 ( [8] \"WAVE\" ) ", &magic));
	EXPECT_EQ(100, magic.priority);
	EXPECT_EQ(8, magic.start);
	EXPECT_EQ(8, magic.end);
	ASSERT_TRUE(BPrivate::ParseSnifferRule("0.005 ([2:10] \"a\\\\b\")",
		&magic));
	EXPECT_EQ(1, magic.priority);
	EXPECT_EQ(2, magic.start);
	EXPECT_EQ(10, magic.end);
	EXPECT_EQ("a\\b", magic.value);
	ASSERT_TRUE(BPrivate::ParseSnifferRule("0 (\"x\")", &magic));
	EXPECT_EQ(0, magic.priority);

	for (const char* bad : { "", "1.01 (\"x\")", "-0.1 (\"x\")",
			"0.5 \"x\"", "0.5 (\"x\"", "0.5 (\"x)", "0.5 (\"\")",
			"0.5 ([4:2] \"x\")", "0.5 ([-1] \"x\")", "0.5 ([1 \"x\")",
			"0.5 (\"x\" | \"y\")", "0.5 (\"x\") z", "(\"x\")",
			"0.5 (\"x\\\")" }) {
		EXPECT_FALSE(BPrivate::ParseSnifferRule(bad, &magic)) << bad;
	}
}


// A type that a database the desktop reads describes already (a package
// installed it for the whole system) counts as installed: registering it
// writes nothing in the user's data folder. The kits' own package file in
// the user's database, or another type's, does not count.
TEST_F(MimeTypeTest, TypeTheDesktopKnowsIsNotCopiedForTheUser)
{
	const char* saved = getenv("XDG_DATA_DIRS");
	std::string savedDirs = saved != NULL ? saved : "";
	std::string system = Path("system/share");
	std::string other = Path("other/share");
	setenv("XDG_DATA_DIRS", (other + ":relative:" + system).c_str(), 1);
	const std::string declaration = "<?xml version=\"1.0\"?>\n<mime-info>\n"
		"  <mime-type type=\"text/x-tolvex-list\">\n"
		"    <glob pattern=\"*.tvx\"/>\n  </mime-type>\n</mime-info>\n";

	struct Case {
		const char*	name;
		const char*	file;
		std::string	content;
		bool		known;
	} cases[] = {
		{ "nothing anywhere", NULL, "", false },
		{ "the system's compiled list", "system/share/mime/types",
			"text/plain\nTEXT/X-TOLVEX-LIST\n", true },
		{ "a longer name in the list", "system/share/mime/types",
			"text/x-tolvex-list2\ntext/x-tolvex-lis\n", false },
		{ "a system package not yet compiled",
			"system/share/mime/packages/tolvex.xml", declaration, true },
		{ "single quotes", "other/share/mime/packages/a.xml",
			"<mime-type type='Text/X-Tolvex-List'/>", true },
		{ "another type's package", "system/share/mime/packages/b.xml",
			"<mime-type type=\"text/x-other\"><sub-class-of "
			"type=\"text/x-tolvex-list\"/></mime-type>", false },
		{ "the user's own package of another program",
			"home/.local/share/mime/packages/tolvex.xml", declaration,
			true },
		{ "the kits' own publication", "home/.local/share/mime/packages/"
			"beos-text@x-tolvex-list.xml", declaration, false },
	};
	for (const Case& test : cases) {
		SCOPED_TRACE(test.name);
		std::string file;
		if (test.file != NULL) {
			file = Path(test.file);
			ASSERT_EQ(0, Run({ "mkdir", "-p",
				file.substr(0, file.rfind('/')) }));
			WriteFile(file, test.content);
		}
		BMimeType type(kListType);
		EXPECT_EQ(test.known, type.IsInstalled());
		if (test.known) {
			EXPECT_EQ(B_FILE_EXISTS, type.Install());
			EXPECT_NE(0, access((fData + "/beos_mime").c_str(), F_OK));
			EXPECT_NE(0, access((fData + "/mime/types").c_str(), F_OK));
			EXPECT_NE(0, access(BPrivate::SharedMimePackagePath(kListType)
				.c_str(), F_OK));
		}
		if (!file.empty()) {
			ASSERT_EQ(0, unlink(file.c_str()));
		}
	}

	// Looking through the desktop's databases, at every start, leaves no
	// descriptor open.
	WriteFile(Path("system/share/mime/packages/tolvex.xml"), declaration);
	size_t before = OpenDescriptors();
	for (int i = 0; i < 4; i++)
		EXPECT_TRUE(BMimeType(kListType).IsInstalled());
	EXPECT_EQ(before, OpenDescriptors());
	unlink(Path("system/share/mime/packages/tolvex.xml").c_str());

	// A property the user sets on a type the system describes is the
	// user's own: kept in the kits' database at once, not published.
	WriteFile(Path("system/share/mime/types"), "text/x-tolvex-list\n");
	{
		BMimeType known(kListType);
		ASSERT_EQ(B_OK, known.SetPreferredApp("application/x-vnd.other"));
		char signature[B_MIME_TYPE_LENGTH];
		ASSERT_EQ(B_OK, BMimeType(kListType).GetPreferredApp(signature));
		EXPECT_STREQ("application/x-vnd.other", signature);
		EXPECT_NE(0, access(BPrivate::SharedMimePackagePath(kListType)
			.c_str(), F_OK));
		ASSERT_EQ(B_OK, known.Delete());
	}
	unlink(Path("system/share/mime/types").c_str());

	// Installed for the user before the system had it: kept, but not
	// published again into the user's database.
	BMimeType type(kListType);
	SetListProperties(type, 4);
	ASSERT_EQ(B_OK, type.Install());
	std::string published = BPrivate::SharedMimePackagePath(kListType);
	ASSERT_EQ(0, access(published.c_str(), F_OK));
	ASSERT_EQ(0, unlink(published.c_str()));
	WriteFile(Path("system/share/mime/types"), "text/x-tolvex-list\n");
	EXPECT_TRUE(BMimeType(kListType).IsInstalled());
	EXPECT_NE(0, access(published.c_str(), F_OK));
	unlink(Path("system/share/mime/types").c_str());
	EXPECT_TRUE(BMimeType(kListType).IsInstalled());
	EXPECT_EQ(0, access(published.c_str(), F_OK));

	if (saved != NULL)
		setenv("XDG_DATA_DIRS", savedDirs.c_str(), 1);
	else
		unsetenv("XDG_DATA_DIRS");
}
