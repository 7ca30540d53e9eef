#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

struct TRun {
    std::string Output;
    int Status = -1;
};

TRun RunTool(const std::string& arguments) {
    const char* tool = std::getenv("QUARZEL_TOOL");
    TRun run;
    if (tool == nullptr) {
        return run;
    }
    const std::string command = std::string(tool) + " fx-trace " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[4096];
    size_t read = 0;
    while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.Output.append(buffer, read);
    }
    run.Status = pclose(pipe);
    return run;
}

TEST(FxTrace, PrintsEveryStepAndParticle) {
    if (std::getenv("QUARZEL_TOOL") == nullptr) {
        GTEST_SKIP() << "QUARZEL_TOOL not set";
    }
    const std::string data = FX_TEST_DATA;
    const TRun run = RunTool(data + "/Staggered.xml --until 500 --step 500 --seed 3");
    EXPECT_EQ(run.Status, 0);
    EXPECT_EQ(run.Output, "t=0 live=4 finished=0\n"
                          "  Line/0 10.000 20.000 1.000 255.000 255.000 255.000 0.000 0\n"
                          "  Line/1 60.000 20.000 1.000 255.000 255.000 255.000 0.000 0\n"
                          "  Line/2 110.000 20.000 1.000 255.000 255.000 255.000 0.000 0\n"
                          "  Line/3 160.000 20.000 1.000 255.000 255.000 255.000 0.000 0\n"
                          "t=500 live=4 finished=0\n"
                          "  Line/0 60.000 20.000 0.750 255.000 255.000 255.000 0.000 0\n"
                          "  Line/1 110.000 20.000 0.750 255.000 255.000 255.000 0.000 0\n"
                          "  Line/2 160.000 20.000 0.750 255.000 255.000 255.000 0.000 0\n"
                          "  Line/3 210.000 20.000 0.750 255.000 255.000 255.000 0.000 0\n");

    const TRun broken = RunTool(data + "/../FxTraceTest.cpp --until 10 --step 5");
    EXPECT_NE(broken.Status, 0);
    EXPECT_NE(broken.Output.find("XML description has no <ParticleEffect> tag"), std::string::npos)
        << broken.Output;
}

} // namespace
