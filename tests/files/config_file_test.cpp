#include "files/config_file.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "files/atomic_file.h"

namespace nodelyx {
namespace {

namespace fs = std::filesystem;

std::string maskDate(const std::string& text) {
  return std::regex_replace(text,
                            std::regex("Date:              [A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9]\\d "
                                       "\\d\\d:\\d\\d:\\d\\d \\d{4}\n"),
                            "Date:              <DATE>\n");
}

std::string readText(const fs::path& path) {
  std::string text;
  EXPECT_TRUE(readWholeFile(path, text)) << path;
  return text;
}

class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("nodelyx_config_test_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    applyPanelDefaults(config);
  }
  void TearDown() override { fs::remove_all(dir); }

  bool parse(std::string_view text) { return parseNetworkConfig(text, "test.net", config, reporter); }

  fs::path dir;
  NetworkConfig config;
  RecordingReporter reporter;
};

TEST_F(ConfigFileTest, WriterMatchesTheGoldenLayoutLineForLine) {
  config.setInputCount(2);
  config.setOutputCount(1);
  config.setTrainingFile("/data/xor.trn");
  const std::string text = formatNetworkConfig(config, "golden.net");
  EXPECT_EQ(maskDate(text), readText(fs::path(NODELYX_SOURCE_DIR) / "tests/files/golden/defaults.net"));
  EXPECT_NE(text.find("Date:              "), std::string::npos);
  EXPECT_NE(maskDate(text), text) << "the date has its 24-character form";
  EXPECT_NE(formatNetworkConfig(config, "").find("Network file name: untitled\n"), std::string::npos);
}

// Sets every field to a value that is neither the default nor the start value.
void setEveryField(NetworkConfig& c) {
  c.setPlotMemorization(1);
  c.setPreventSaturation(0);
  c.setEnforceTrainingStop(0);
  c.setEnforceTestingStop(0);
  c.setShuffleOnLoad(1);
  c.setSaturationThreshold(65);
  c.setMaxPerturbation(7);
  c.setMaxEpochs(123456);
  c.setMinWeight(-12.345678);
  c.setMaxWeight(98.7654321);
  c.setLearningRate(0.0123456789);
  c.setMomentum(0.9);
  c.setRmsErrorStop(0.002);
  c.setPatternClip(0.5);
  c.setErrorMargin(0.25);
  c.setMaxRmsErrorStop(0.003);
  c.setMaxErrorStop(0.004);
  c.setPercentCorrectStop(95.5);
  c.setInputNoise(0.05);
  c.setWeightDecay(1e-05);
  c.setRpropIncrease(1.3);
  c.setRpropDecrease(0.4);
  c.setRpropMaxStep(40);
  c.setRpropMinStep(2e-06);
  c.setRpropInitialStep(0.002);
  c.setQuickpropMaxGrowth(2.25);
  c.setDbdIncrease(0.07);
  c.setDbdDecrease(0.3);
  c.setDbdAverage(0.6);
  c.setTrainingMethod(TrainingMethod::Quickprop);
  c.setLayerCount(6);
  for (int layer = 1; layer <= 5; ++layer) {
    c.setHiddenNeurons(layer, static_cast<std::uint32_t>(10 + layer));
    c.setHiddenActivation(layer, static_cast<ActivationType>(1 + layer % 4));
  }
  c.setOutputActivation(ActivationType::Gaussian);
  c.setTrainingFile("/home/user/my data/train set.trn");
  c.setTestFile("/home/user/test.tst");
  c.setWeightsFile("/home/user/w.wts");
}

void expectSameFields(const NetworkConfig& a, const NetworkConfig& b) {
  for (int f = 0; f < kIntFieldCount; ++f)
    EXPECT_EQ(a.intValue(static_cast<ConfigField>(f)), b.intValue(static_cast<ConfigField>(f))) << f;
  for (int f = 0; f < kDoubleFieldCount; ++f) {
    const auto field = static_cast<ConfigField>(static_cast<int>(ConfigField::MinWeight) + f);
    EXPECT_NEAR(a.doubleValue(field), b.doubleValue(field), std::fabs(a.doubleValue(field)) * 5e-6) << f;
  }
  EXPECT_EQ(a.trainingMethod(), b.trainingMethod());
  EXPECT_EQ(a.layerCount(), b.layerCount());
  for (int layer = 1; layer <= 5; ++layer) {
    EXPECT_EQ(a.hiddenNeurons(layer), b.hiddenNeurons(layer));
    EXPECT_EQ(a.hiddenActivation(layer), b.hiddenActivation(layer));
  }
  EXPECT_EQ(a.outputActivation(), b.outputActivation());
  EXPECT_EQ(a.trainingFile(), b.trainingFile());
  EXPECT_EQ(a.testFile(), b.testFile());
  EXPECT_EQ(a.weightsFile(), b.weightsFile());
}

TEST_F(ConfigFileTest, WrittenAndReadBackReproducesEveryField) {
  setEveryField(config);
  const fs::path path = dir / "all.net";
  ASSERT_TRUE(writeNetworkConfig(config, path));
  NetworkConfig reread;
  applyPanelDefaults(reread);
  ASSERT_TRUE(readNetworkConfig(path, reread, reporter));
  EXPECT_TRUE(reporter.messages.empty());
  expectSameFields(config, reread);
  EXPECT_EQ(reread.minWeight(), -12.3457);  // six significant digits
}

TEST_F(ConfigFileTest, RoundTripIgnoresACommaDecimalLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8"))
    GTEST_SKIP() << "no German locale on this machine";
  setEveryField(config);
  const std::string text = formatNetworkConfig(config, "x.net");
  NetworkConfig reread;
  const bool ok = parseNetworkConfig(text, "x.net", reread, reporter);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_TRUE(ok);
  EXPECT_NE(text.find("0.0123457"), std::string::npos);
  expectSameFields(config, reread);
}

TEST_F(ConfigFileTest, KeysAreCaseInsensitiveAndKeysWithoutValueTakeDefaults) {
  EXPECT_TRUE(parse("[Gain] 0.3\n[momentum]\t% none\n[RPROPWTINC] , 1.5\n"));
  EXPECT_EQ(config.learningRate(), 0.3);
  EXPECT_EQ(config.rpropIncrease(), 1.5);
  config.setMomentum(0.7);
  config.setLearningRate(0.9);
  config.setMaxEpochs(5);
  EXPECT_FALSE(parse("[GAIN]   % the gain\n[MOMENTUM]\n[epochs]\r\n[LAYERS]\n[HIDDEN3]"))
      << "no key carried a value";
  EXPECT_EQ(config.learningRate(), 0.1);
  EXPECT_EQ(config.momentum(), 0.0);
  EXPECT_EQ(config.maxEpochs(), 100000);
  EXPECT_EQ(config.layerCount(), 3u);
  EXPECT_EQ(config.hiddenNeurons(3), 1u);
}

TEST_F(ConfigFileTest, HiddenLayerActivationDefaultsToLogistic) {
  config.setHiddenActivation(2, ActivationType::Tanh);
  EXPECT_TRUE(parse("[HIDDEN2] 4\n[HIDDEN3] 7 3 % linear\n[OUTPUT] 4\n"));
  EXPECT_EQ(config.hiddenNeurons(2), 4u);
  EXPECT_EQ(config.hiddenActivation(2), ActivationType::Logistic);
  EXPECT_EQ(config.hiddenNeurons(3), 7u);
  EXPECT_EQ(config.hiddenActivation(3), ActivationType::Linear);
  EXPECT_EQ(config.outputActivation(), ActivationType::Gaussian);
}

TEST_F(ConfigFileTest, OutOfRangeCountsStopWithTheirMessages) {
  EXPECT_FALSE(parse("[GAIN] 0.5\n[LAYERS] 8\n[MOMENTUM] 0.5\n"));
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].title, "Error");
  EXPECT_EQ(reporter.messages[0].text,
            "This file contains 6 hidden layers.\nThe number of hidden layers must be between 0 and 5");
  EXPECT_EQ(config.learningRate(), 0.5);  // read before the failure
  EXPECT_EQ(config.momentum(), 0.0);
  EXPECT_EQ(config.layerCount(), 3u);

  reporter.messages.clear();
  EXPECT_FALSE(parse("[HIDDEN4] 0 2\n"));
  ASSERT_EQ(reporter.messages.size(), 1u);
  EXPECT_EQ(reporter.messages[0].title, "Invalid of # neurons");
  EXPECT_EQ(reporter.messages[0].text,
            "This file contains 0 neurons in hidden layer #4\nThe legal range is between 1 and 4294967295");

  reporter.messages.clear();
  EXPECT_FALSE(parse("[LAYERS] 1\n"));
  EXPECT_EQ(reporter.messages.at(0).text,
            "This file contains -1 hidden layers.\nThe number of hidden layers must be between 0 and 5");
  EXPECT_TRUE(parse("[HIDDEN1] 4294967295\n"));
  EXPECT_EQ(config.hiddenNeurons(1), 4294967295u);
}

TEST_F(ConfigFileTest, UnreadableValuesAreRefusedWithTheirLine) {
  const std::pair<const char*, const char*> cases[] = {
      {"[GAIN] abc\n", "test.net contains an invalid value for [GAIN] in line 1."},
      {"\n\n[EPOCHS] 99999999999999\n", "test.net contains an invalid value for [EPOCHS] in line 3."},
      {"[MOMENTUM] 1e999\n", "test.net contains an invalid value for [MOMENTUM] in line 1."},
      {"[NOISE] nan\n", "test.net contains an invalid value for [NOISE] in line 1."},
      {"[HIDDEN1] 3 x\n", "test.net contains an invalid value for [HIDDEN1] in line 1."},
      {"[LAYERS] -\n", "test.net contains an invalid value for [LAYERS] in line 1."},
      {"[EPOCHS] 100.5\n", "test.net contains an invalid value for [EPOCHS] in line 1."},
      {"[GAIN] 0.3abc\n", "test.net contains an invalid value for [GAIN] in line 1."},
      {"[RPROPWTINC] abc\n", "test.net contains an invalid value for [RPROPWTINC] in line 1."},
      {"[QUICKPROPMU] 2.5e0junk\n", "test.net contains an invalid value for [QUICKPROPMU] in line 1."},
      {"\n[OUTPUT] 9\n",
       "test.net: [OUTPUT] in line 2 names activation 9; the activations are 1 logistic, 2 tanh, 3 linear "
       "and 4 Gaussian."},
      {"[HIDDEN2] 4 0\n",
       "test.net: [HIDDEN2] in line 1 names activation 0; the activations are 1 logistic, "
       "2 tanh, 3 linear and 4 Gaussian."},
      {"[MINWEIGHTS] 5\n[MAXWEIGHTS] -5\n",
       "test.net: the minimum weight 5 ([MINWEIGHTS], line 1) is above the maximum weight -5 ([MAXWEIGHTS], "
       "line 2)."},
  };
  for (const auto& [text, message] : cases) {
    reporter.messages.clear();
    EXPECT_FALSE(parse(text)) << text;
    ASSERT_EQ(reporter.messages.size(), 1u) << text;
    EXPECT_EQ(reporter.messages[0].text, message);
  }
}

TEST_F(ConfigFileTest, SeparatorTolerantReaderAcceptsCommas) {
  EXPECT_TRUE(
      parse("[RPROPWTDEC],0.25,[DBDWTINC] 0.125,[DBDAVERAGE] "
            "12345678901234567890123456789012345678901234567890123\n"));
  EXPECT_EQ(config.rpropDecrease(), 0.25);
  EXPECT_EQ(config.dbdIncrease(), 0.125);
  EXPECT_EQ(config.dbdAverage(), 12345678901234567890123456789012345678901234567890123.0);
}

TEST_F(ConfigFileTest, APercentSignStartsACommentToTheEndOfItsLine) {
  config.setHiddenNeurons(1, 2);
  EXPECT_TRUE(
      parse("% [HIDDEN1] 500 2 disabled\n[GAIN] 0.2% tuned\n[TRAININGFILE] xor.trn  % data\n"
            "[TESTFILE] /runs/100%/xor.tst\t\n"));
  EXPECT_EQ(config.hiddenNeurons(1), 2u);
  EXPECT_EQ(config.learningRate(), 0.2);
  EXPECT_EQ(config.trainingFile(), "xor.trn");
  EXPECT_EQ(config.testFile(), "/runs/100%/xor.tst");
}

TEST_F(ConfigFileTest, AbsentKeysKeepTheirValuesAndTheLastRepeatWins) {
  config.setTestFile("/keep/me.tst");
  EXPECT_TRUE(parse("Some header\n[GAIN] 0.2\n[gain] 0.4\n[TRAININGFILE] a.trn\n"));
  EXPECT_EQ(config.testFile(), "/keep/me.tst");
  EXPECT_EQ(config.learningRate(), 0.4);
  EXPECT_EQ(config.trainingFile(), "a.trn");
  EXPECT_TRUE(parse("[TRAININGFILE]   \n[WEIGHTSFILE] w 1.wts\r\n[EPOCHS] 10"));
  EXPECT_EQ(config.trainingFile(), "");
  EXPECT_EQ(config.weightsFile(), "w 1.wts");
}

TEST_F(ConfigFileTest, LongPathsAndLongKeysAreSafe) {
  const std::string longPath = "/" + std::string(5000, 'p') + "/data.trn";
  const std::string longKey = "[" + std::string(100000, 'k') + "] 5\n";
  EXPECT_TRUE(parse("[TRAININGFILE] " + longPath + "\n" + longKey + "[GAIN] 0.6\n"));
  EXPECT_EQ(config.trainingFile(), longPath);
  EXPECT_EQ(config.learningRate(), 0.6);
  // A known key followed by more characters is another key.
  EXPECT_FALSE(parse("[gainx] 0.9\n[gain"));
  EXPECT_EQ(config.learningRate(), 0.6);
}

TEST_F(ConfigFileTest, LeadingCommentBlockAndForeignFiles) {
  EXPECT_TRUE(parse("\xEF\xBB\xBF* comment [GAIN] 0.9\n   * another\n\n[GAIN] 0.8\n"));
  EXPECT_EQ(config.learningRate(), 0.8);
  EXPECT_FALSE(parse(""));
  EXPECT_FALSE(parse("just some text without keys\n"));
  EXPECT_FALSE(parse(std::string("\0\x01\xff[\xfe]\x80", 7)));
  EXPECT_TRUE(reporter.messages.empty());
}

TEST_F(ConfigFileTest, MissingFileIsNotLoadedAndFailedSaveKeepsThePreviousFile) {
  EXPECT_FALSE(readNetworkConfig(dir / "missing.net", config, reporter));
  EXPECT_TRUE(reporter.messages.empty());
  const fs::path path = dir / "keep.net";
  ASSERT_TRUE(writeNetworkConfig(config, path));
  const std::string before = readText(path);
  EXPECT_FALSE(writeNetworkConfig(config, dir / "no such dir" / "x.net"));
  EXPECT_FALSE(writeNetworkConfig(config, dir));  // a directory is no file
  EXPECT_EQ(readText(path), before);
  int leftovers = 0;
  for (const auto& entry : fs::directory_iterator(dir)) leftovers += entry.path() != path;
  EXPECT_EQ(leftovers, 0) << "no temporary file stays behind";
}

}  // namespace
}  // namespace nodelyx
