# Kestrova flight recorder add-on: puts every value the bridge reads on a poll
# under /kestrova/sim, so that one HTTP read of /kestrova fetches them all in one
# simulator frame, and shows the texts the bridge writes to /kestrova/message.

var sim = nil;

# Aliases /kestrova/sim/NAME to the first of the paths that exists.
var link = func(name, paths) {
    var node = sim.getNode(name, 1);
    node.unalias();
    foreach (var path; paths) {
        if (props.globals.getNode(path) != nil) {
            node.alias(path);
            return;
        }
    }
};

var linkAll = func {
    sim.remove();
    sim = props.globals.getNode("/kestrova/sim", 1);
    link("utc-hour", ["/sim/time/utc/hour"]);
    link("utc-minute", ["/sim/time/utc/minute"]);
    link("utc-second", ["/sim/time/utc/second"]);
    link("local-offset-s", ["/sim/time/local-offset"]);
    link("latitude-deg", ["/position/latitude-deg"]);
    link("longitude-deg", ["/position/longitude-deg"]);
    link("altitude-ft", ["/position/altitude-ft"]);
    link("true-airspeed-kt", ["/fdm/jsbsim/velocities/vtrue-kts", "/instrumentation/airspeed-indicator/true-speed-kt",
                              "/velocities/airspeed-kt"]);
    link("heading-deg", ["/orientation/heading-deg"]);
    link("magnetic-variation-deg", ["/environment/magnetic-variation-deg"]);
    link("visibility-m", ["/environment/visibility-m"]);
    link("qnh-inhg", ["/environment/pressure-sea-level-inhg"]);
    link("wind-from-heading-deg", ["/environment/wind-from-heading-deg"]);
    link("wind-speed-kt", ["/environment/wind-speed-kt"]);
    link("temperature-degc", ["/environment/temperature-degc"]);
    link("title", ["/sim/description", "/sim/aircraft"]);
    link("version", ["/sim/version/flightgear"]);
    # Only the tanks the aircraft has, in FlightGear's order.
    var n = 0;
    foreach (var tank; props.globals.getNode("/consumables/fuel", 1).getChildren("tank")) {
        if (tank.getNode("capacity-gal_us") == nil) continue;
        var t = sim.getChild("tank", n, 1);
        t.getNode("level-gal_us", 1).alias(tank.getNode("level-gal_us", 1));
        t.getNode("capacity-gal_us", 1).alias(tank.getNode("capacity-gal_us"));
        n += 1;
    }
    n = 0;
    foreach (var layer; props.globals.getNode("/environment/clouds", 1).getChildren("layer")) {
        if (layer.getNode("coverage") == nil) continue;
        sim.getChild("cloud", n, 1).getNode("coverage", 1).alias(layer.getNode("coverage"));
        n += 1;
    }
    setprop("/kestrova/ready", 1);
};

var main = func(addon) {
    sim = props.globals.getNode("/kestrova/sim", 1);
    setprop("/kestrova/ready", 0);
    # The aircraft's tanks are there once its flight model runs; again after a reset.
    setlistener("/sim/signals/fdm-initialized", func(n) {
        if (n.getBoolValue()) linkAll();
        else setprop("/kestrova/ready", 0);
    }, 1, 0);
    # A text for the pilot: shown in the screen's message lines, where FlightGear
    # keeps the last one in /sim/screen/yellow.
    setlistener("/kestrova/message/text", func(n) {
        var text = n.getValue();
        if (text != nil and text != "") setprop("/sim/screen/yellow", text);
    }, 0, 1);
    logprint(LOG_INFO, "Kestrova add-on ", addon.version.str(), ": Ctrl-K waypoint, Ctrl-E end");
};
