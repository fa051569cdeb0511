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
key='Interface\{A817E7A2-43FA-11D0-9E44-00AA00B6770A}\TypeLib'
# RegLocator type 2: the raw value; +16: the 64-bit view. Root 0: HKCR.
msibuild "$msi" \
  -q "INSERT INTO \`RegLocator\` (\`Signature_\`, \`Root\`, \`Key\`, \`Type\`) VALUES ('Interface64Search', 0, '$key', 18)" \
  -q "INSERT INTO \`RegLocator\` (\`Signature_\`, \`Root\`, \`Key\`, \`Type\`) VALUES ('Interface32Search', 0, '$key', 2)" \
  -q "INSERT INTO \`AppSearch\` (\`Property\`, \`Signature_\`) VALUES ('INTERFACE64_TYPELIB', 'Interface64Search')" \
  -q "INSERT INTO \`AppSearch\` (\`Property\`, \`Signature_\`) VALUES ('INTERFACE32_TYPELIB', 'Interface32Search')" \
  -q "UPDATE \`Component\` SET \`Condition\` = 'NOT INTERFACE64_TYPELIB OR INTERFACE64_TYPELIB = \"$libid\"' WHERE \`Component\` = 'Interface64'" \
  -q "UPDATE \`Component\` SET \`Condition\` = 'NOT INTERFACE32_TYPELIB OR INTERFACE32_TYPELIB = \"$libid\"' WHERE \`Component\` = 'Interface32'" \
  -q "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;INTERFACE64_TYPELIB;INTERFACE32_TYPELIB' WHERE \`Property\` = 'SecureCustomProperties'"
