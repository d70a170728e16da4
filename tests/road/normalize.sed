# A stand-in's output as both stand-ins can give it: the profile, the server an
# add-in was loaded from and each draft's path left out, and what the add-in
# asked of the desktop named alike whether the Linux stand-in recorded the
# request or Windows delivered it to a handler or a window.
/^profile: /d
s/ loaded from .*$/ loaded from <server>/
s/^mail displayed: .*$/mail displayed: <draft>/
s/^help .*$/help opened/
s/^window opened: HH Parent .*$/help opened/
s/^shell open \(https\?:[^ ]*\) in .*$/link opened: \1/
