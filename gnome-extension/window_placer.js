// The part of the extension both builds share: a D-Bus object inside
// GNOME Shell that lists the windows and places one, for the program's
// GNOME backend. Wayland gives an ordinary program no other way to do that.
// It is exported on GNOME Shell's own connection, so the program calls it
// at org.gnome.Shell: a well-known name of its own could be taken first by
// any other program on the bus, which would then get every call.
// The lines above this (one header per build) bind Gio, GLib, Meta and Main.

const OBJECT_PATH = '/org/mobrell/Quenlow/Shell';
const INTERFACE_XML = `
<node>
  <interface name="org.mobrell.Quenlow.Shell">
    <!-- JSON: [{id, title, pid, x, y, w, h, maximized, minimized, fullscreen, above, focus}],
         the frame rectangle in logical pixels, top of the stacking order first. -->
    <method name="List">
      <arg type="s" direction="out" name="windows"/>
    </method>
    <!-- The part of the primary monitor that panels leave free. -->
    <method name="WorkArea">
      <arg type="i" direction="out" name="x"/>
      <arg type="i" direction="out" name="y"/>
      <arg type="i" direction="out" name="width"/>
      <arg type="i" direction="out" name="height"/>
    </method>
    <!-- Brings a minimised, maximised or full-screen window back to normal. -->
    <method name="Restore">
      <arg type="t" direction="in" name="id"/>
      <arg type="b" direction="out" name="found"/>
    </method>
    <!-- Restores the window, gives its frame this rectangle and activates it.
         Sizes are clamped to 1..MAX_SIDE: mutter skips its constraints for
         an empty or negative one. -->
    <method name="Place">
      <arg type="t" direction="in" name="id"/>
      <arg type="i" direction="in" name="x"/>
      <arg type="i" direction="in" name="y"/>
      <arg type="i" direction="in" name="width"/>
      <arg type="i" direction="in" name="height"/>
      <arg type="b" direction="out" name="found"/>
    </method>
    <!-- Keeps a window above the others, or no longer; only a window of the
         calling process itself. -->
    <method name="SetOwnAbove">
      <arg type="t" direction="in" name="id"/>
      <arg type="b" direction="in" name="above"/>
      <arg type="b" direction="out" name="done"/>
    </method>
  </interface>
</node>`;

// Mutter 49 replaced get_maximized() and unmaximize(flags) by
// get_maximize_flags(), and set_unmaximize_flags(flags) before unmaximize():
// the API is told apart by what the window has, not by a version number.
function isMaximized(window) {
    if (typeof window.get_maximize_flags === 'function')
        return window.get_maximize_flags() !== 0;
    return window.get_maximized() !== 0;
}

function unmaximize(window) {
    if (!isMaximized(window))
        return;
    if (typeof window.set_unmaximize_flags === 'function') {
        window.set_unmaximize_flags(Meta.MaximizeFlags.BOTH);
        window.unmaximize();
    } else {
        window.unmaximize(Meta.MaximizeFlags.BOTH);
    }
}

function restore(window) {
    if (window.minimized)
        window.unminimize();
    if (window.is_fullscreen())
        window.unmake_fullscreen();
    unmaximize(window);
}

// Far beyond any screen, well within mutter's rectangles.
const MAX_SIDE = 16384;

function clamp(value, lowest, highest) {
    return Math.min(Math.max(Math.trunc(value), lowest), highest);
}

class WindowPlacer {
    enable() {
        this._exported = Gio.DBusExportedObject.wrapJSObject(INTERFACE_XML, this);
        this._exported.export(Gio.DBus.session, OBJECT_PATH);
    }

    disable() {
        this._exported.unexport();
        this._exported = null;
    }

    _windows() {
        const windows = global.display.list_all_windows().filter(w => !w.is_override_redirect());
        return global.display.sort_windows_by_stacking(windows).reverse();
    }

    _window(id) {
        return this._windows().find(w => String(w.get_id()) === String(id)) ?? null;
    }

    List() {
        const focus = global.display.focus_window;
        return JSON.stringify(this._windows().map(w => {
            const frame = w.get_frame_rect();
            return {
                id: w.get_id(), title: w.get_title() ?? '', pid: w.get_pid(),
                x: frame.x, y: frame.y, w: frame.width, h: frame.height,
                maximized: isMaximized(w), minimized: w.minimized, fullscreen: w.is_fullscreen(),
                above: w.is_above(), focus: w === focus,
            };
        }));
    }

    WorkArea() {
        const workspace = global.workspace_manager.get_active_workspace();
        const area = workspace.get_work_area_for_monitor(global.display.get_primary_monitor());
        return [area.x, area.y, area.width, area.height];
    }

    Restore(id) {
        const window = this._window(id);
        if (window)
            restore(window);
        return window !== null;
    }

    Place(id, x, y, width, height) {
        const window = this._window(id);
        if (!window)
            return false;
        x = clamp(x, -MAX_SIDE, MAX_SIDE);
        y = clamp(y, -MAX_SIDE, MAX_SIDE);
        width = clamp(width, 1, MAX_SIDE);
        height = clamp(height, 1, MAX_SIDE);
        restore(window);
        window.move_resize_frame(true, x, y, width, height);
        // Mutter sizes a window with resize increments (terminals) from its
        // old position and drops the move: move it again.
        window.move_frame(true, x, y);
        Main.activateWindow(window);
        return true;
    }

    SetOwnAboveAsync([id, above], invocation) {
        Gio.DBus.session.call('org.freedesktop.DBus', '/org/freedesktop/DBus', 'org.freedesktop.DBus',
            'GetConnectionUnixProcessID', new GLib.Variant('(s)', [invocation.get_sender()]),
            new GLib.VariantType('(u)'), Gio.DBusCallFlags.NONE, -1, null, (connection, result) => {
                let done = false;
                try {
                    const [pid] = connection.call_finish(result).deepUnpack();
                    const window = this._window(id);
                    if (window && window.get_pid() === pid) {
                        if (above)
                            window.make_above();
                        else
                            window.unmake_above();
                        done = true;
                    }
                } catch (e) {
                    logError(e, 'Quenlow: cannot tell who asked');
                }
                invocation.return_value(new GLib.Variant('(b)', [done]));
            });
    }
}
