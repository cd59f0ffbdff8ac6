// The fuse window's texts for GuideTest.

#include <string>
#include <vector>

#include "fuse/FuseControl.h"

using namespace kvqor;

std::vector<std::string> FuseWindowTexts() {
    std::vector<std::string> texts;
    for (const FuseReadTexts* t : {&kReadFuseTexts, &kReadLockTexts}) {
        texts.insert(texts.end(), {std::string(t->waiting), std::string(t->timeOut), std::string(t->error),
                                   std::string(t->complete)});
    }
    texts.insert(
        texts.end(),
        {std::string(kFuseTitlePrefix), std::string(kCancleCaption), std::string(kCanNotReadFuse),
         std::string(kWaitingToWriteFuse), std::string(kProgramFuseTimeOut), std::string(kProgramFuseError),
         std::string(kWaitingToVerifyFuse), std::string(kProgramFuseComplete), std::string(kVerifyFuseError),
         std::string(kWriteFuseError), std::string(kComportNotConnect), std::string(kNotFuseOnDevice),
         std::string(kEnableProgram), std::string(kDisableErase), std::string(kNotPresent),
         ChooseFuseFirstText("SPIEN")});
    return texts;
}
