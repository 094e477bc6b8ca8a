# shellcheck shell=bash
# The uninstall command, with no password set: everything the program keeps
# in the registry goes, the exe is marked for deletion at the next restart,
# and one message box asks for that restart.

# While the box is shown the program key and the autostart value are gone
# already, and Windows (here Wine) has the exe in PendingFileRenameOperations
# with an empty target, which means "delete". After OK the program ends and
# writes nothing more: the key stays gone. The exe itself is still there
# until the restart.
case_uninstall_removes_its_traces_and_asks_for_a_restart() {
  local caption message boxes pending exe
  caption=$(e2e_string IDS_UNINSTALL_CAPTION) || e2e_fail "no IDS_UNINSTALL_CAPTION in res/hourgauge.rc"
  message=$(e2e_string IDS_UNINSTALL_MESSAGE) || e2e_fail "no IDS_UNINSTALL_MESSAGE in res/hourgauge.rc"
  e2e_start_program
  e2e_driver wait-window "$HG_TITLE" 60 || e2e_fail "no window titled $HG_TITLE"
  e2e_wait 30 e2e_reg_exists EndTime || e2e_fail "no EndTime within 30 s: the tick does not run"
  e2e_expect_eq "autostart value before" "$(hg_reg_query "$HG_RUN_KEY" Hourgauge)" "\"$HG_EXE_WIN\""

  e2e_expect "the uninstall command was not delivered" \
    e2e_driver send-command "$HG_TITLE" "$(e2e_id ID_UNINSTALL)"
  e2e_driver wait-dialog "$caption" 30 || e2e_fail "no message box captioned '$caption'"
  e2e_screenshot uninstall
  e2e_expect_eq "uninstall message" "$(e2e_driver msgbox-text "$caption")" "$message"
  boxes=$(e2e_driver list-windows | grep -c -F " visible=1 class=#32770 title=$caption")
  e2e_expect_eq "message boxes shown" "$boxes" 1

  e2e_reg_key_exists && e2e_fail "$HG_KEY is still there while the box is shown"
  hg_reg_query "$HG_RUN_KEY" Hourgauge >/dev/null && e2e_fail "the autostart value Hourgauge is still there"
  pending=$(hg_reg_query 'HKLM\System\CurrentControlSet\Control\Session Manager' PendingFileRenameOperations) ||
    e2e_fail "no PendingFileRenameOperations: the exe is not marked for deletion"
  e2e_expect_eq "PendingFileRenameOperations" "$pending" "\\??\\$HG_EXE_WIN\\0"

  e2e_expect "could not answer the box" e2e_driver msgbox-ok "$caption"
  e2e_wait 15 eval '! e2e_program_alive' || e2e_fail "the program still runs 15 s after the box was answered"
  e2e_reg_key_exists && e2e_fail "$HG_KEY came back after the program ended"
  hg_reg_query "$HG_RUN_KEY" Hourgauge >/dev/null && e2e_fail "the autostart value came back"
  exe=$(e2e_unix_path "$HG_EXE_WIN")
  [ -f "$exe" ] || e2e_fail "the exe is gone already; it should go at the restart"
}
