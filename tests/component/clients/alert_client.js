// A JScript client of pagoret: raises the alerts that component_client_test
// expects, in order, and reports any failure through its exit code.
function check(condition, code, what) {
  if (!condition) {
    WScript.Echo("alert_client.js: " + what);
    WScript.Quit(code);
  }
}

var pagoret = null;
try {
  pagoret = new ActiveXObject("CCompReg.CCompReg");
} catch (e) {
  check(false, 2, "cannot create CCompReg.CCompReg: " + e.message);
}

try {
  pagoret.PagoretMsg("JScript", "Admins", "Disk C: is full");
  pagoret.PagoretMsg(undefined, undefined, undefined);
  pagoret.PagoretMsg("JScript", "Admins", "before\0after");
  pagoret.PagoretMsg("JScript", "Admins", "x\u4E2Dy");
  pagoret.PagoretMsg("JScript", "Admins", 42);
} catch (e) {
  check(false, 3, "call failed: " + e.message);
}

var refused = false;
try {
  pagoret.PagoretMsg("JScript", "Admins", null);
} catch (e) {
  refused = true;
}
check(refused, 4, "null should be refused");

try {
  pagoret.PagoretMsg("JScript", "Admins", "last");
} catch (e) {
  check(false, 5, "last call failed: " + e.message);
}
WScript.Quit(0);
