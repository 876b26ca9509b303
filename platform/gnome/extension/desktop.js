// The desktop of a GNOME Shell session, as Ombrel Sarquen reaches it over D-Bus: the
// windows (by last use), the window commands, a keyboard and a pointer of the
// extension's own for the key and mouse commands of scripts, and the push-to-talk key. Only the program is
// answered: the owner of the bus name org.ombrel.Sarquen, in a process that runs one of
// the program's executables.
// Clutter, Gio, GLib, Main, Meta and Shell come from the file this one is put in front of.

// The program's executables by their full paths, filled in as the extension is built
// (the build tree's programs) and installed (the installed zorv alone).
const SARQUEN_PROGRAMS = [@SARQUEN_PROGRAMS@];
const SARQUEN_NAME = 'org.ombrel.Sarquen';
const SARQUEN_PATH = '/org/ombrel/Sarquen/Desktop';
const SARQUEN_INTERFACE = `<node>
  <interface name="org.ombrel.Sarquen.Desktop">
    <method name="ActiveWindow"><arg type="t" direction="out"/></method>
    <method name="RecentWindows"><arg type="at" direction="out"/></method>
    <method name="WindowAction">
      <arg type="t" name="window" direction="in"/>
      <arg type="s" name="action" direction="in"/>
    </method>
    <method name="ShowDesktop"/>
    <method name="Key">
      <arg type="u" name="keysym" direction="in"/>
      <arg type="b" name="pressed" direction="in"/>
    </method>
    <method name="PointerButton">
      <arg type="u" name="button" direction="in"/>
      <arg type="b" name="pressed" direction="in"/>
    </method>
    <method name="PointerMove">
      <arg type="i" name="dx" direction="in"/>
      <arg type="i" name="dy" direction="in"/>
    </method>
    <method name="PointerMoveTo">
      <arg type="i" name="x" direction="in"/>
      <arg type="i" name="y" direction="in"/>
    </method>
    <method name="PointerPosition">
      <arg type="i" name="x" direction="out"/>
      <arg type="i" name="y" direction="out"/>
    </method>
    <method name="WatchTalkKey">
      <arg type="s" name="accelerator" direction="in"/>
      <arg type="b" name="taken" direction="out"/>
    </method>
    <signal name="TalkKeyPressed"/>
  </interface>
</node>`;

class SarquenDesktop {
    constructor() {
        const seat = Clutter.get_default_backend().get_default_seat();
        this._keyboard = seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
        this._pointer = seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
        this._hidden = [];
        this._namespace = GLib.file_read_link('/proc/self/ns/mnt');
        // Each method of the interface checks its caller, then answers with what the
        // method of the same name (with a leading "_") returns.
        const info = Gio.DBusNodeInfo.new_for_xml(SARQUEN_INTERFACE).interfaces[0];
        for (const method of info.methods) {
            const out = `(${method.out_args.map(a => a.signature).join('')})`;
            this[`${method.name}Async`] = (params, invocation) => {
                if (!this._allowed(invocation))
                    return;
                const result = this[`_${method.name}`](...params);
                invocation.return_value(method.out_args.length > 0
                    ? new GLib.Variant(out, result) : null);
            };
        }
        this._object = Gio.DBusExportedObject.wrapJSObject(SARQUEN_INTERFACE, this);
        this._object.export(Gio.DBus.session, SARQUEN_PATH);
        this._talkAction = Meta.KeyBindingAction.NONE;
        this._accelerators = global.display.connect('accelerator-activated',
            (display, action) => {
                if (action === this._talkAction)
                    this._object.emit_signal('TalkKeyPressed', null);
            });
    }

    destroy() {
        this._WatchTalkKey('');
        global.display.disconnect(this._accelerators);
        this._object.unexport();
        this._keyboard = null;
        this._pointer = null;
        this._hidden = [];
    }

    // Whether the caller is the program: it owns the program's bus name, and the process
    // the bus knows for its connection runs one of the program's executables. Else it gets
    // an error. Nothing is kept from one call to the next: a process that has since started
    // another executable is seen as it is now.
    _allowed(invocation) {
        const sender = invocation.get_sender();
        try {
            if (this._askBus('GetNameOwner', SARQUEN_NAME, 's') === sender &&
                SARQUEN_PROGRAMS.includes(this._executable(
                    this._askBus('GetConnectionUnixProcessID', sender, 'u'))))
                return true;
        } catch (e) {
            // Nobody owns the name, or its owner's process is gone or hidden from the Shell.
        }
        invocation.return_dbus_error('org.ombrel.Sarquen.Desktop.Error.NotAllowed',
            `only ${SARQUEN_PROGRAMS.join(' or ')} holding ${SARQUEN_NAME} is answered`);
        return false;
    }

    // The bus's answer to its method `method` about the connection `name`, of the type
    // `type`.
    _askBus(method, name, type) {
        const [answer] = Gio.DBus.session.call_sync('org.freedesktop.DBus',
            '/org/freedesktop/DBus', 'org.freedesktop.DBus', method,
            new GLib.Variant('(s)', [name]), new GLib.VariantType(`(${type})`),
            Gio.DBusCallFlags.NONE, -1, null).deepUnpack();
        return answer;
    }

    // The path of the executable the process `pid` runs, as the Shell sees it; null for a
    // process of another mount namespace, where a path may name another file (one mounted
    // over it). An executable removed since the process started (the program's package
    // upgraded while it runs) has the path it was started from.
    _executable(pid) {
        const process = `/proc/${pid}`;
        if (GLib.file_read_link(`${process}/ns/mnt`) !== this._namespace)
            return null;
        const path = GLib.file_read_link(`${process}/exe`);
        const removed = ' (deleted)';
        const links = Gio.File.new_for_path(`${process}/exe`).query_info('unix::nlink',
            Gio.FileQueryInfoFlags.NONE, null).get_attribute_uint32('unix::nlink');
        return links === 0 && path.endsWith(removed) ? path.slice(0, -removed.length) : path;
    }

    // The windows a task switcher shows, the one used last first.
    _windows() {
        return global.display.get_tab_list(Meta.TabList.NORMAL, null);
    }

    _ActiveWindow() {
        const active = global.display.focus_window;
        return [active ? active.get_id() : 0];
    }

    _RecentWindows() {
        return [this._windows().map(w => w.get_id())];
    }

    _WindowAction(id, action) {
        const window = this._windows().find(w => w.get_id() === id);
        // A real time stamp: the Shell refuses to focus a window for a time of 0.
        const now = global.display.get_current_time_roundtrip();
        if (window) {
            if (action === 'close') {
                window.delete(now);
            } else if (action === 'minimize') {
                window.minimize();
            } else if (action === 'maximize') {
                window.maximize(Meta.MaximizeFlags.BOTH);
            } else if (action === 'restore') {
                window.unminimize();
                window.unmaximize(Meta.MaximizeFlags.BOTH);
                window.activate(now);
            } else if (action === 'activate') {
                window.unminimize();
                window.activate(now);
            }
        }
    }

    // Minimises every window, or brings back those the last call minimised that are
    // still minimised.
    _ShowDesktop() {
        const windows = this._windows();
        const back = this._hidden.filter(w => windows.includes(w) && w.minimized);
        if (back.length > 0) {
            back.forEach(w => w.unminimize());
            this._hidden = [];
        } else {
            this._hidden = windows.filter(w => !w.minimized && w.can_minimize());
            this._hidden.forEach(w => w.minimize());
        }
    }

    // The keyboard finds the key of the keysym on the user's layout, with the
    // modifiers its level needs.
    _Key(keysym, pressed) {
        this._keyboard.notify_keyval(Clutter.CURRENT_TIME, keysym,
            pressed ? Clutter.KeyState.PRESSED : Clutter.KeyState.RELEASED);
    }

    _PointerButton(button, pressed) {
        this._pointer.notify_button(Clutter.CURRENT_TIME, button,
            pressed ? Clutter.ButtonState.PRESSED : Clutter.ButtonState.RELEASED);
    }

    _PointerMove(dx, dy) {
        this._pointer.notify_relative_motion(Clutter.CURRENT_TIME, dx, dy);
    }

    _PointerMoveTo(x, y) {
        this._pointer.notify_absolute_motion(Clutter.CURRENT_TIME, x, y);
    }

    _PointerPosition() {
        const [x, y] = global.get_pointer();
        return [x, y];
    }

    // Takes the key `accelerator` ("F9") for push-to-talk in place of the one before
    // ('': none); false when the Shell will not give it (another binding has it, or it
    // is no key). The Shell tells only that the key went down: each press is one
    // utterance.
    _WatchTalkKey(accelerator) {
        if (this._talkAction !== Meta.KeyBindingAction.NONE) {
            global.display.ungrab_accelerator(this._talkAction);
            Main.wm.allowKeybinding(Meta.external_binding_name_for_action(this._talkAction),
                Shell.ActionMode.NONE);
            this._talkAction = Meta.KeyBindingAction.NONE;
        }
        if (accelerator === '')
            return [true];
        this._talkAction = global.display.grab_accelerator(accelerator,
            Meta.KeyBindingFlags.NONE);
        if (this._talkAction === Meta.KeyBindingAction.NONE)
            return [false];
        Main.wm.allowKeybinding(Meta.external_binding_name_for_action(this._talkAction),
            Shell.ActionMode.ALL);
        return [true];
    }
}
