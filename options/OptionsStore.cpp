#include "options/OptionsStore.h"

#include "platform/registry/Registry.h"
#include "platform/registry/StoredText.h"
#include "store/RegistryPaths.h"
#include "store/modReg.h"

namespace {

RegValue read(modReg& reg, const char* name)
{
    return reg.ReadRegValue(regpath::kOptions, QString::fromLatin1(name));
}

} // namespace

bool Options::startPhraseOn() const
{
    const auto n = RegValue(starter).number();
    return n && *n == 1;
}

bool Options::pushToTalkOn() const
{
    return textBeforeNul(pushToTalk) == u"1" && !textBeforeNul(talkKey).trimmed().isEmpty();
}

QString normaliseChkText(QString text)
{
    if (text.endsWith(QChar(u'\0')))
        text.chop(1);
    if (!text.endsWith(u' '))
        text.append(u' ');
    return text;
}

Options LoadOptions(modReg& reg)
{
    Options o;
    o.soundPath = read(reg, "soundPath").text();
    o.soundPlay = read(reg, "soundPlay").toInt16();
    o.soundOpt = read(reg, "soundOpt").toInt16();
    o.comFirmExe = read(reg, "comFirmExe").toInt16();
    o.starter = read(reg, "starter").text();
    // The stored phrase ends with the store's NUL; a missing or empty value leaves an
    // empty phrase, which can never be heard.
    o.startCommand = read(reg, "startCommand").text();
    if (!o.startCommand.isEmpty())
        o.startCommand.chop(1);
    o.t1t = read(reg, "t1t").toInt16();
    o.tcomt = read(reg, "tcomt").toInt16();
    o.chktext = normaliseChkText(read(reg, "chktext").text());
    o.startup.regCheck = read(reg, "regCheck").toInt16();
    o.startup.winStart = read(reg, "winStart").toInt16();
    o.startup.progStat = read(reg, "progStat").toInt16();
    // Stores older than push-to-talk have neither value: it is off.
    o.pushToTalk = textBeforeNul(read(reg, "pushToTalk").text());
    o.talkKey = textBeforeNul(read(reg, "talkKey").text()).trimmed();
    return o;
}

void SaveOptions(modReg& reg, const Options& o)
{
    const StartupEntry& s = o.startup;
    auto write = [&reg](const char* name, const RegValue& value) {
        reg.WriteRegValue(platform::HKEY_LOCAL_MACHINE, regpath::kOptions,
                          QString::fromLatin1(name), value, platform::REG_SZ);
    };
    write("t1t", o.t1t);
    write("tcomt", o.tcomt);
    // A NUL is never part of an option, so a text is written only up to the first one:
    // a value that still carries the store's NUL does not gain another on every save.
    write("chktext", textBeforeNul(o.chktext));
    write("regCheck", s.regCheck);
    write("comFirmExe", o.comFirmExe);
    write("winStart", s.winStart);
    write("progStat", s.progStat);
    write("starter", textBeforeNul(o.starter));
    write("startCommand", textBeforeNul(o.startCommand));
    write("soundPath", textBeforeNul(o.soundPath));
    write("soundPlay", o.soundPlay);
    write("soundOpt", o.soundOpt);
    write("pushToTalk", textBeforeNul(o.pushToTalk));
    write("talkKey", textBeforeNul(o.talkKey));
}

void OptionsStore::save(const Options& options)
{
    options_ = options;
    SaveOptions(reg_, options_);
}
