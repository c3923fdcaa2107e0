// The global settings object as a script sees it, created by its ProgID.
var failures = 0;
function check(what, got, want) {
    if (got !== want) {
        WScript.Echo("FAIL " + what + ": got " + got + ", want " + want);
        failures++;
    }
}
var settings = new ActiveXObject("Vantrell.PenwrightGlobalSettings.11.2.2");
check("Version", settings.Version, "11.2.2");
check("Unicode", settings.Unicode, true);
check("OcxPath", /Penwright\.dll$/i.test(settings.OcxPath), true);
settings.ResourceFile = "C:\\fr\\Penwright.res";
// The process's setting: another object sees it.
check("ResourceFile", new ActiveXObject("Vantrell.PenwrightGlobalSettings.11.2.2").ResourceFile, "C:\\fr\\Penwright.res");
try {
    settings.Version = "1";
    check("Version is read only", "set", "refused");
} catch (e) {
}
WScript.Echo(failures == 0 ? "script passed" : failures + " failed");
WScript.Quit(failures);
