#ifndef STORAGE_TEST_HOME_H
#define STORAGE_TEST_HOME_H

#include <string>
#include <vector>

#include <gtest/gtest.h>

// Every test runs in a fresh temporary home: HOME and the XDG folders
// point into it, and it is removed afterwards, so no test touches the
// real user's files or desktop MIME database.
class StorageTest : public ::testing::Test {
protected:
	void SetUp() override;
	void TearDown() override;

	std::string Path(const std::string& name) const
		{ return fRoot + "/" + name; }
	void WriteFile(const std::string& path, const std::string& data) const;
	std::string ReadFile(const std::string& path) const;

	// Runs a program to its end; its exit status, or -1.
	static int Run(const std::vector<std::string>& argv, bool quiet = true);

	std::string fRoot;
	std::string fHome;
	std::string fData;
	std::string fConfig;

private:
	std::vector<std::pair<std::string, std::string> > fSavedEnvironment;
	std::vector<std::string> fUnsetEnvironment;
};

#endif // STORAGE_TEST_HOME_H
