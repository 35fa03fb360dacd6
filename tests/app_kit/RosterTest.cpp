#include <gtest/gtest.h>

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include <Entry.h>
#include <Looper.h>
#include <Message.h>
#include <Node.h>
#include <NodeInfo.h>
#include <Path.h>
#include <Roster.h>

#include "TestSupport.h"
#include "private/app/Quiet.h"

namespace {

size_t
CountDescriptors()
{
	size_t count = 0;
	DIR* folder = opendir("/proc/self/fd");
	if (folder == NULL)
		return 0;
	while (readdir(folder) != NULL)
		count++;
	closedir(folder);
	return count;
}


// Collects the quit notices that the roster sends it.
class NoticeCollector : public BLooper {
public:
	void MessageReceived(BMessage* message) override
	{
		if (message->what != B_SOME_APP_QUIT) {
			BLooper::MessageReceived(message);
			return;
		}
		std::lock_guard<std::mutex> lock(fLock);
		fNotices.push_back(*message);
	}

	std::vector<BMessage> Notices()
	{
		std::lock_guard<std::mutex> lock(fLock);
		return fNotices;
	}

	std::mutex fLock;
	std::vector<BMessage> fNotices;
};


class RosterTest : public testing::Test {
protected:
	void SetUp() override
	{
		fCollector = new NoticeCollector();
		fCollector->Run();
		ASSERT_EQ(B_OK, be_roster->StartWatching(BMessenger(fCollector),
			B_REQUEST_QUIT));
	}

	void TearDown() override
	{
		be_roster->StopWatching(BMessenger(fCollector));
		if (fCollector->Lock())
			fCollector->Quit();
	}

	// A running child does not keep the application from being quiet;
	// its end does, until the notice is handled.
	void WaitForNotices(size_t count)
	{
		bigtime_t deadline = system_time() + 10000000;
		while (true) {
			uint64 seen = BPrivate::ActivityCount();
			if (fCollector->Notices().size() >= count
				|| !BPrivate::WaitForActivity(seen, deadline))
				break;
		}
		ASSERT_TRUE(WaitUntilQuiet());
	}

	// The fake browser, which also records where its error stream goes:
	// a program opened for the desktop may outlive us, so it keeps our own
	// standard error, never a pipe through the roster.
	bool InstallRecordingBrowser(const std::string& record)
	{
		if (!InstallFakeBrowser(fHome, record))
			return false;
		fHome.WriteFile("bin/fake-browser", "#!/bin/sh\n"
			"{ for a in \"$@\"; do echo \"$a\"; done; readlink /proc/$$/fd/2; } "
			"> '" + record + ".part' && mv '" + record + ".part' '" + record
			+ "'\n", true);
		return true;
	}

	static std::string OurErrorStream()
	{
		char target[256];
		ssize_t length = readlink("/proc/self/fd/2", target,
			sizeof(target) - 1);
		if (length <= 0)
			return "";
		return std::string(target, length);
	}

	std::string Script(const std::string& name, const std::string& body)
	{
		return fHome.WriteFile(name, "#!/bin/sh\n" + body, true);
	}

	TemporaryHome fHome;
	NoticeCollector* fCollector;
};

} // namespace


// The program gets its path and the words; its end is reported once with
// the executable (links resolved) and the team.
TEST_F(RosterTest, LaunchPassesTheWordsAndReportsTheEnd)
{
	std::string record = fHome.File("args.txt");
	std::string program = Script("program", "for a in \"$0\" \"$@\"; do "
		"echo \"[$a]\"; done > '" + record + "'\n");
	ASSERT_EQ(0, symlink(program.c_str(), fHome.File("link").c_str()));
	entry_ref link;
	ASSERT_EQ(B_OK, get_ref_for_path(fHome.File("link").c_str(), &link));
	const char* words[] = { "-b", "128", "", "a b.wav" };
	team_id team = -1;
	ASSERT_EQ(B_OK, be_roster->Launch(&link, 4, words, &team));
	EXPECT_GT(team, 0);
	WaitForNotices(1);

	EXPECT_EQ("[" + fHome.File("link") + "]\n[-b]\n[128]\n[]\n[a b.wav]\n",
		ReadFile(record));
	std::vector<BMessage> notices = fCollector->Notices();
	ASSERT_EQ(1u, notices.size());
	entry_ref reported;
	ASSERT_EQ(B_OK, notices[0].FindRef("be:ref", &reported));
	entry_ref target;
	ASSERT_EQ(B_OK, get_ref_for_path(program.c_str(), &target));
	EXPECT_TRUE(reported == target);
	int32 reportedTeam;
	ASSERT_EQ(B_OK, notices[0].FindInt32("be:team", &reportedTeam));
	EXPECT_EQ(team, reportedTeam);
}


// A link anywhere on the way, a linked folder included, is resolved in the
// launch record, and the ref it reports turns back into the real path.
// Teams that end together are each reported once.
TEST_F(RosterTest, LaunchRecordResolvesLinkedFoldersAndTeamsEndingTogether)
{
	std::string program = Script("real/bin/program", "exit 0\n");
	ASSERT_EQ(0, symlink(fHome.File("real").c_str(),
		fHome.File("linked").c_str()));
	ASSERT_EQ(0, symlink("../linked/bin/program",
		fHome.File("real/alias").c_str()));
	entry_ref viaLinks;
	ASSERT_EQ(B_OK, get_ref_for_path(fHome.File("linked/alias").c_str(),
		&viaLinks));

	const int kTeams = 5;
	std::vector<team_id> teams;
	for (int i = 0; i < kTeams; i++) {
		team_id team = -1;
		ASSERT_EQ(B_OK, be_roster->Launch(&viaLinks, 0, NULL, &team));
		teams.push_back(team);
	}
	WaitForNotices(kTeams);

	entry_ref target;
	ASSERT_EQ(B_OK, get_ref_for_path(program.c_str(), &target));
	std::vector<BMessage> notices = fCollector->Notices();
	ASSERT_EQ((size_t)kTeams, notices.size());
	std::vector<team_id> reported;
	for (const BMessage& notice : notices) {
		entry_ref ref;
		ASSERT_EQ(B_OK, notice.FindRef("be:ref", &ref));
		EXPECT_TRUE(ref == target);
		EXPECT_EQ(program, BPath(&ref).Path());
		int32 team;
		ASSERT_EQ(B_OK, notice.FindInt32("be:team", &team));
		reported.push_back(team);
	}
	std::sort(teams.begin(), teams.end());
	std::sort(reported.begin(), reported.end());
	EXPECT_EQ(teams, reported);
}

// Files that cannot be started give an error status and leave no process,
// not even a zombie, and none of the launch's descriptors. Some fail only
// at the exec, in the child: an executable file that is no program, and a
// script whose interpreter is missing.
TEST_F(RosterTest, MissingOrNotExecutableFilesStartNothing)
{
	entry_ref missing;
	ASSERT_EQ(B_OK, get_ref_for_path(fHome.File("nothing").c_str(),
		&missing));
	team_id team = -1;
	EXPECT_EQ(B_ENTRY_NOT_FOUND, be_roster->Launch(&missing, 0, NULL, &team));
	// Counted after a first launch that starts something, which opens the
	// roster's own descriptors.
	entry_ref quick;
	ASSERT_EQ(B_OK, get_ref_for_path(Script("quick", "exit 0\n").c_str(),
		&quick));
	ASSERT_EQ(B_OK, be_roster->Launch(&quick, 0, NULL, &team));
	WaitForNotices(1);
	ASSERT_EQ(1u, fCollector->Notices().size());
	size_t descriptors = CountDescriptors();

	struct Case {
		const char*	name;
		const char*	content;
		bool		executable;
	} cases[] = {
		{ "plain.txt", "not a program\n", false },
		{ "garbage", "\x7f" "ELF but nothing more\n", true },
		{ "orphan", "#!/nonexistent/interpreter\nexit 0\n", true },
	};
	for (const Case& test : cases) {
		std::string file = fHome.WriteFile(test.name, test.content,
			test.executable);
		entry_ref ref;
		ASSERT_EQ(B_OK, get_ref_for_path(file.c_str(), &ref));
		EXPECT_EQ(B_LAUNCH_FAILED_EXECUTABLE,
			be_roster->Launch(&ref, 0, NULL, &team)) << test.name;
	}
	entry_ref folder;
	ASSERT_EQ(B_OK, get_ref_for_path(fHome.Path().c_str(), &folder));
	EXPECT_EQ(B_LAUNCH_FAILED_EXECUTABLE,
		be_roster->Launch(&folder, 0, NULL, &team));
	ASSERT_TRUE(WaitUntilQuiet());
	EXPECT_EQ(1u, fCollector->Notices().size());

	// No child of ours at all, ended or not.
	siginfo_t info;
	errno = 0;
	EXPECT_EQ(-1, waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT));
	EXPECT_EQ(ECHILD, errno);
	EXPECT_EQ(descriptors, CountDescriptors());
}


// The child starts clean: none of our descriptors, default signal
// handling and an empty mask, a process group of its own.
TEST_F(RosterTest, ChildInheritsNoDescriptorsAndDefaultSignals)
{
	int leaked = open("/dev/null", O_RDONLY);	// no O_CLOEXEC on purpose
	ASSERT_GE(leaked, 3);
	// A high one too, as libraries' descriptors may be.
	int high = dup2(leaked, 900);
	ASSERT_EQ(900, high);
	sigset_t blocked;
	sigemptyset(&blocked);
	sigaddset(&blocked, SIGUSR1);
	sigaddset(&blocked, SIGRTMAX);
	pthread_sigmask(SIG_BLOCK, &blocked, NULL);
	// Ignoring outlives the exec: every signal's handling must be reset,
	// the real-time ones too.
	signal(SIGUSR2, SIG_IGN);
	signal(SIGRTMIN + 3, SIG_IGN);
	signal(SIGRTMAX, SIG_IGN);

	std::string record = fHome.File("state.txt");
	std::string program = Script("state", "ls /proc/self/fd > '" + record
		+ "'\ngrep -E '^(SigBlk|SigIgn)' /proc/self/status >> '" + record
		+ "'\ncut -d' ' -f5 /proc/$$/stat >> '" + record + "'\n"
		"echo $$ >> '" + record + "'\n");
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path(program.c_str(), &ref));
	ASSERT_EQ(B_OK, be_roster->Launch(&ref, 0, NULL));
	WaitForNotices(1);
	close(leaked);
	close(high);
	pthread_sigmask(SIG_UNBLOCK, &blocked, NULL);
	signal(SIGUSR2, SIG_DFL);
	signal(SIGRTMIN + 3, SIG_DFL);
	signal(SIGRTMAX, SIG_DFL);

	std::vector<std::string> lines = SplitLines(ReadFile(record));
	ASSERT_GE(lines.size(), 4u);
	// 0, 1, 2 and the one ls opens to list them.
	std::vector<std::string> fds(lines.begin(), lines.end() - 4);
	EXPECT_EQ(4u, fds.size()) << ReadFile(record);
	EXPECT_EQ("SigBlk:\t0000000000000000", lines[lines.size() - 4]);
	// Signals 32 and 33 belong to the C library, which sets them itself.
	std::string ignored = lines[lines.size() - 3];
	ASSERT_EQ(0u, ignored.find("SigIgn:\t"));
	unsigned long long mask = strtoull(ignored.c_str() + 8, NULL, 16);
	EXPECT_EQ(0ull, mask & ~0x180000000ull) << ignored;
	EXPECT_EQ(lines[lines.size() - 1], lines[lines.size() - 2])
		<< "the child leads a process group of its own";
}


// kill_team asks the whole group to end (SIGTERM, so that an encoder can
// clean up); the end is reported like any other, with the signal. What of
// the group does not end on it gets SIGKILL about 2 s later.
TEST_F(RosterTest, KillTeamEndsTheWholeGroup)
{
	std::string pids = fHome.File("pids.txt");
	// The grandchild names itself only once it ignores SIGTERM, so that
	// the signal cannot come before.
	std::string program = Script("wrapper", "sh -c \"trap '' TERM; "
		"echo \\$\\$ > '" + pids + "'; exec sleep 60\" &\nwait\n");
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path(program.c_str(), &ref));
	team_id team;
	ASSERT_EQ(B_OK, be_roster->Launch(&ref, 0, NULL, &team));
	bigtime_t deadline = system_time() + 10000000;
	while (ReadFile(pids).empty() && system_time() < deadline)
		snooze(5000);
	pid_t sleeper = atoi(ReadFile(pids).c_str());
	ASSERT_GT(sleeper, 0);

	bigtime_t killed = system_time();
	EXPECT_EQ(B_OK, kill_team(team));
	WaitForNotices(1);
	ASSERT_EQ(1u, fCollector->Notices().size());
	int32 signal = 0;
	EXPECT_EQ(B_OK, fCollector->Notices()[0].FindInt32("linux:signal",
		&signal));
	EXPECT_EQ(SIGTERM, signal);
	EXPECT_EQ(B_BAD_TEAM_ID, kill_team(team));
	// The grandchild ignores SIGTERM; it is reaped by init, not us.
	deadline = killed + 6000000;
	while (kill(sleeper, 0) == 0 && system_time() < deadline) {
		std::string state = ReadFile("/proc/" + std::to_string(sleeper)
			+ "/stat");
		if (Contains(state, ") Z "))
			break;
		snooze(5000);
	}
	std::string state = ReadFile("/proc/" + std::to_string(sleeper) + "/stat");
	EXPECT_TRUE(state.empty() || Contains(state, ") Z ")) << state;
	EXPECT_GE(system_time() - killed, 1500000) << "SIGKILL came too soon";
}


// Children write to our standard streams (the error stream through the
// roster, which keeps its last line), and each is reaped once it has ended
// (no zombie left); a child we started ourselves is left to us.
TEST_F(RosterTest, ChildrenAreReapedAndKeepOurStreams)
{
	pid_t ours = fork();
	ASSERT_GE(ours, 0);
	if (ours == 0)
		_exit(7);

	std::string captured = fHome.File("stdout.txt");
	int saved = dup(1);
	ASSERT_GE(saved, 0);
	int file = open(captured.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	ASSERT_GE(file, 0);
	fflush(stdout);
	ASSERT_EQ(1, dup2(file, 1));
	close(file);

	std::string capturedErrors = fHome.File("stderr.txt");
	int savedErrors = dup(2);
	ASSERT_GE(savedErrors, 0);
	file = open(capturedErrors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	ASSERT_GE(file, 0);
	ASSERT_EQ(2, dup2(file, 2));
	close(file);

	std::string program = Script("talker", "echo parla\n"
		"printf 'uno\\n\\nultima riga\\n \\n' >&2\nexit 5\n");
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path(program.c_str(), &ref));
	team_id team = -1;
	ASSERT_EQ(B_OK, be_roster->Launch(&ref, 0, NULL, &team));
	WaitForNotices(1);
	fflush(stdout);
	dup2(saved, 1);
	close(saved);
	dup2(savedErrors, 2);
	close(savedErrors);

	EXPECT_EQ("parla\n", ReadFile(captured));
	// Every byte of the error stream reaches ours; the notice tells the
	// exit status and the last line that says something.
	EXPECT_EQ("uno\n\nultima riga\n \n", ReadFile(capturedErrors));
	std::vector<BMessage> notices = fCollector->Notices();
	ASSERT_EQ(1u, notices.size());
	int32 exitStatus = -1;
	const char* line = NULL;
	EXPECT_EQ(B_OK, notices[0].FindInt32("linux:exit_status", &exitStatus));
	EXPECT_EQ(5, exitStatus);
	EXPECT_EQ(B_OK, notices[0].FindString("linux:error_line", &line));
	EXPECT_STREQ("ultima riga", line);
	EXPECT_EQ("", ReadFile("/proc/" + std::to_string(team) + "/stat"))
		<< "the ended child is reaped";
	int status = 0;
	ASSERT_EQ(ours, waitpid(ours, &status, 0));
	EXPECT_EQ(7, WEXITSTATUS(status));
}


// The preferred application of a MIME type gets the words, and our error
// stream.
TEST_F(RosterTest, LaunchOfATypesPreferredApplication)
{
	std::string record = fHome.File("browser.txt");
	ASSERT_TRUE(InstallRecordingBrowser(record));
	const char* words[] = { "https://tolvex.example.org/", "due parole" };
	ASSERT_EQ(B_OK, be_roster->Launch("text/html", 2, words));
	WaitForNotices(1);
	EXPECT_EQ("https://tolvex.example.org/\ndue parole\n" + OurErrorStream()
		+ "\n", ReadFile(record));
}


// A document opens with the preferred application of its type, which gets
// the document's path, and our error stream.
TEST_F(RosterTest, LaunchOfADocument)
{
	std::string record = fHome.File("browser.txt");
	ASSERT_TRUE(InstallRecordingBrowser(record));
	std::string page = fHome.WriteFile("pagina web.html", "<p>ciao</p>\n");
	BNode node(page.c_str());
	BNodeInfo info(&node);
	ASSERT_EQ(B_OK, info.SetType("text/html"));
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path(page.c_str(), &ref));
	team_id team = -1;
	ASSERT_EQ(B_OK, be_roster->Launch(&ref, (const BMessage*)NULL, &team));
	EXPECT_GT(team, 0);
	WaitForNotices(1);
	EXPECT_EQ(page + "\n" + OurErrorStream() + "\n", ReadFile(record));
}


// How a program ended, as the notice tells it: a core dump is a signal,
// and a carriage return ends a line of its error stream as a line feed
// does (a progress meter's last state is the last line).
TEST_F(RosterTest, NoticeTellsACoreDumpAndTakesCarriageReturnsForLineEnds)
{
	std::string program = Script("dumper", "cd '" + fHome.Path() + "'\n"
		"ulimit -c unlimited\n"
		"printf 'Gogo: motivo\\r 10%%\\r 20%%\\r' >&2\n"
		"kill -SEGV $$\n");
	entry_ref ref;
	ASSERT_EQ(B_OK, get_ref_for_path(program.c_str(), &ref));
	int savedErrors = dup(2);
	ASSERT_GE(savedErrors, 0);
	int file = open(fHome.File("stderr.txt").c_str(), O_WRONLY | O_CREAT
		| O_TRUNC, 0644);
	ASSERT_GE(file, 0);
	ASSERT_EQ(2, dup2(file, 2));
	close(file);
	team_id team = -1;
	status_t launched = be_roster->Launch(&ref, 0, NULL, &team);
	if (launched == B_OK)
		WaitForNotices(1);
	dup2(savedErrors, 2);
	close(savedErrors);
	ASSERT_EQ(B_OK, launched);
	std::vector<BMessage> notices = fCollector->Notices();
	ASSERT_EQ(1u, notices.size());
	int32 signal = 0;
	int32 exitStatus = 0;
	const char* line = NULL;
	EXPECT_EQ(B_OK, notices[0].FindInt32("linux:signal", &signal));
	EXPECT_EQ(SIGSEGV, signal);
	EXPECT_NE(B_OK, notices[0].FindInt32("linux:exit_status", &exitStatus));
	EXPECT_EQ(B_OK, notices[0].FindString("linux:error_line", &line));
	EXPECT_STREQ(" 20%", line);
	EXPECT_EQ("Gogo: motivo\r 10%\r 20%\r", ReadFile(fHome.File("stderr.txt")));
}
