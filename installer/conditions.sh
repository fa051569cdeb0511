#!/usr/bin/env bash
# Adds to a package built by wixl what wixl cannot write itself: the
# registrar interface's Interface key is the package's only where AppSearch
# finds no other type library named there (component conditions, one search
# per registry view), so the package neither takes over nor, on removal,
# deletes what the system registered for that interface.
#   conditions.sh PACKAGE.msi
set -eu
msi=$1
libid='{50FFB38D-3871-404E-97C4-F172D46A8E21}'
key='Software\Classes\Interface\{A817E7A2-43FA-11D0-9E44-00AA00B6770A}\TypeLib'
# AppSearch before costing, which evaluates the conditions, in both sequences.
# RegLocator type 2: the raw value; +16: the 64-bit view. Root 2: HKLM, where
# the system registers (Wine does not search HKCR in the 64-bit view).
msibuild "$msi" \
  -q "INSERT INTO \`InstallExecuteSequence\` (\`Action\`, \`Sequence\`) VALUES ('AppSearch', 50)" \
  -q "INSERT INTO \`InstallUISequence\` (\`Action\`, \`Sequence\`) VALUES ('AppSearch', 50)" \
  -q "INSERT INTO \`RegLocator\` (\`Signature_\`, \`Root\`, \`Key\`, \`Type\`) VALUES ('Interface64Search', 2, '$key', 18)" \
  -q "INSERT INTO \`RegLocator\` (\`Signature_\`, \`Root\`, \`Key\`, \`Type\`) VALUES ('Interface32Search', 2, '$key', 2)" \
  -q "INSERT INTO \`AppSearch\` (\`Property\`, \`Signature_\`) VALUES ('INTERFACE64_TYPELIB', 'Interface64Search')" \
  -q "INSERT INTO \`AppSearch\` (\`Property\`, \`Signature_\`) VALUES ('INTERFACE32_TYPELIB', 'Interface32Search')" \
  -q "UPDATE \`Component\` SET \`Condition\` = 'NOT INTERFACE64_TYPELIB OR INTERFACE64_TYPELIB = \"$libid\"' WHERE \`Component\` = 'Interface64'" \
  -q "UPDATE \`Component\` SET \`Condition\` = 'NOT INTERFACE32_TYPELIB OR INTERFACE32_TYPELIB = \"$libid\"' WHERE \`Component\` = 'Interface32'" \
  -q "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;INTERFACE64_TYPELIB;INTERFACE32_TYPELIB' WHERE \`Property\` = 'SecureCustomProperties'"

# The server package's Startup shortcut: the feature is installed when the
# public property STARTUP is set, and an installed shortcut's registry value
# sets STARTUP again on upgrade or repair.
if msiinfo export "$msi" Feature | grep -q '^Startup	'; then
  msibuild "$msi" \
    -q "CREATE TABLE \`Condition\` (\`Feature_\` CHAR(38) NOT NULL, \`Level\` SHORT NOT NULL, \`Condition\` CHAR(255) PRIMARY KEY \`Feature_\`, \`Level\`)" \
    -q "INSERT INTO \`Condition\` (\`Feature_\`, \`Level\`, \`Condition\`) VALUES ('Startup', 1, 'STARTUP')" \
    -q "INSERT INTO \`RegLocator\` (\`Signature_\`, \`Root\`, \`Key\`, \`Name\`, \`Type\`) VALUES ('StartupSearch', 2, 'Software\\Orvandel\\Tellistry', 'StartupShortcut', 18)" \
    -q "INSERT INTO \`AppSearch\` (\`Property\`, \`Signature_\`) VALUES ('STARTUP', 'StartupSearch')" \
    -q "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;INTERFACE64_TYPELIB;INTERFACE32_TYPELIB;STARTUP' WHERE \`Property\` = 'SecureCustomProperties'"
fi
