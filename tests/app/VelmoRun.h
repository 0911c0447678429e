#pragma once

// Runs the velmo binary as a user runs it from a shell, in a fresh home, and keeps what it printed.
#include "testing/TemporaryHome.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

struct VelmoRun
{
    int status = -1;
    std::string out;
    std::string err;
};

// Runs velmo with the arguments (already quoted for the shell) in the home's "device" folder.
inline VelmoRun velmo(const testkit::TemporaryHome& home, const std::string& arguments)
{
    std::string errors = home.file("stderr.txt");
    std::string command = "'";
    command += VELMO_BINARY;
    command += "' --home '";
    command += home.file("device");
    command += "' ";
    command += arguments;
    command += " 2>'";
    command += errors;
    command += "'";
    VelmoRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream file(errors);
    std::stringstream text;
    text << file.rdbuf();
    run.err = text.str();
    return run;
}
